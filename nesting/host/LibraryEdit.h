// A mark that the library itself is changing the drawing.
#pragma once

// While the library itself changes the drawing (one of its commands runs, a
// key nudges a figure, it copies macros for its own ends), the drawing's
// sinks let the moves and copies pass: they answer the user's own edits
// only, so that a placement does not ask for itself again and the library's
// own copies are never placed as if the user had made them.
class LibraryEdit {
public:
    LibraryEdit() { ++s_depth; }
    ~LibraryEdit() { --s_depth; }
    LibraryEdit(const LibraryEdit&) = delete;
    LibraryEdit& operator=(const LibraryEdit&) = delete;
    static bool Active() { return s_depth > 0; }

private:
    inline static int s_depth = 0;
};
