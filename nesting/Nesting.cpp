// The shared object's own translation unit; the host entry points live in the
// shell layer, which is linked in whole.
