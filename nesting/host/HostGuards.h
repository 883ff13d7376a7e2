// One guard for every bracket the library opens on the host: tree rebuilding,
// undo recording, the undo container and the user's access. The switch is set
// when the guard is made and set back, to the opposite value, however the
// scope is left; guards made one after another close in reverse order.
#pragma once

namespace vrnApi {

class ScopedSwitch {
public:
    using Switch = void (*)(bool);

    ScopedSwitch(Switch set, bool during) : m_set(set), m_during(during) { m_set(m_during); }
    ~ScopedSwitch() { m_set(!m_during); }
    ScopedSwitch(const ScopedSwitch&) = delete;
    ScopedSwitch& operator=(const ScopedSwitch&) = delete;

private:
    Switch m_set;
    bool m_during;
};

}  // namespace vrnApi
