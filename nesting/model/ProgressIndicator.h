// The progress of a long operation, shared by every model and optimiser: made
// by whoever reports progress first; the model points its function at the
// host's progress bar.
#pragma once

#include <functional>
#include <memory>

using INDICATORFUNC = std::function<void(double)>;

class ProgressIndicator {
public:
    // The singleton, made when absent (value 0, no function).
    static ProgressIndicator& Create()
    {
        if (!m_instance)
            m_instance = std::make_unique<ProgressIndicator>();
        return *m_instance;
    }
    static ProgressIndicator* GetInstance() { return m_instance.get(); }

    // Stores the percentage and shows it through the function, when set.
    void SetValue(double value)
    {
        m_value = value;
        if (m_function)
            m_function(m_value);
    }

    double m_value = 0.0;
    INDICATORFUNC m_function;

private:
    inline static std::unique_ptr<ProgressIndicator> m_instance;
};
