// What a command may change, as it stood when the command started: its
// drawing (DrawingSnapshot), the session values every model shares (the size
// and material of new sheets, the session copy of the model parameters, the
// configuration as last read) and the values a command names with Keep (the
// choices of its panel that outlive it). Restore gives all of it back, so
// that a cancelled command leaves no trace; Drop keeps what was done.
#pragma once

#include "host/DrawingSnapshot.h"

#include <functional>
#include <string>
#include <vector>

class CommandSnapshot {
public:
    // Takes the drawing and the shared session values; false when the host
    // could not copy the drawing (the session values are kept all the same).
    bool Take(const vlapi::IVarnelDocument2DPtr& doc);
    // One more value given back by Restore: the value it holds now.
    template <class T>
    void Keep(T& value)
    {
        m_restorers.push_back([&value, kept = value] { value = kept; });
    }
    // The drawing and every kept value as they were; false when the drawing
    // could not be given back whole.
    bool Restore();
    // Every kept value as it was; the drawing is let go as it is (it has
    // been closed).
    void RestoreValues();
    void Drop();

private:
    DrawingSnapshot m_drawing;
    std::vector<std::function<void()>> m_restorers;
};
