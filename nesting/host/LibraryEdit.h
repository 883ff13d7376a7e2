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

// A whole run of the library's own over the drawing (a placement, a layout of
// the container, anything an automation caller asks of the model): the
// drawings' sinks are held back for its time, so that the host does not even
// call them for each of its moves and copies, whoever started the run (a
// command or an automation caller). The shell says how sinks are held back
// and let go; until it has, a LibraryRun is a LibraryEdit. Runs nest: the
// sinks hear the user's edits again once the outermost has ended, however it
// ended.
class LibraryRun {
public:
    using Hold = void (*)(bool held);

    LibraryRun() : m_hold(s_hold)
    {
        if (m_hold)
            m_hold(true);
    }
    ~LibraryRun()
    {
        if (m_hold)
            m_hold(false);
    }
    LibraryRun(const LibraryRun&) = delete;
    LibraryRun& operator=(const LibraryRun&) = delete;

    // Set by the shell while it has sinks (empty: none to hold back).
    static void SetHold(Hold hold) { s_hold = hold; }

private:
    LibraryEdit m_edit;
    Hold m_hold;
    inline static Hold s_hold = nullptr;
};
