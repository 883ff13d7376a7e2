// What every automation implementation shares: the reference count, the
// answer to queries along the interface's base chain, and the guard that
// keeps exceptions inside an operation.
#pragma once

#include "api/INestingObjects.h"

#include <cmath>
#include <initializer_list>
#include <type_traits>
#include <utility>

namespace napi {

// The id of an interface and of the one it derives from.
template <class I>
struct InterfaceTraits {
    using Base = typename I::Base;
    static constexpr vlapi::IAPIObjectIID iid = I::iid;
};
template <>
struct InterfaceTraits<vlapi::IAPIObject> {
    using Base = void;
    static constexpr vlapi::IAPIObjectIID iid = vlapi::IID_IAPIObject;
};

// Implements vlapi::IAPIObject for interface `I`: a plain count that deletes
// the object when it falls to zero (a new object holds none: the holder that
// takes it adds the first), and queries answered for `I` and its bases only.
template <class I>
class RefCounted : public I {
public:
    long AddRef() override { return ++m_refs; }

    long Release() override
    {
        const long refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override
    {
        if (!object)
            return false;
        *object = nullptr;
        if (!iid || !Find<I>(iid, object))
            return false;
        AddRef();
        return true;
    }

protected:
    RefCounted() = default;
    ~RefCounted() override = default;

private:
    template <class J>
    bool Find(vlapi::IAPIObjectIID iid, void** object)
    {
        if (vlapi::SameIID(iid, InterfaceTraits<J>::iid)) {
            *object = static_cast<J*>(this);
            return true;
        }
        if constexpr (std::is_void_v<typename InterfaceTraits<J>::Base>)
            return false;
        else
            return Find<typename InterfaceTraits<J>::Base>(iid, object);
    }

    long m_refs = 0;
};

// A new implementation object in its interface's smart pointer, holding the
// one reference of the caller.
template <class Ptr, class Impl, class... Args>
Ptr Make(Args&&... args)
{
    return Ptr(new Impl(std::forward<Args>(args)...));
}

// Runs an operation's body; an exception it throws ends there, and the
// operation gives `fallback`.
template <class R, class F>
R Guarded(R fallback, F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class F>
void Guarded(F&& body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}

// The values an automation operation takes: finite numbers from `low` to
// `high`, `low` itself excluded when `lowOpen`, whole numbers only when `whole`.
struct Range {
    double low;
    double high;
    bool lowOpen = false;
    bool whole = false;

    bool Holds(double value) const
    {
        return std::isfinite(value) && (lowOpen ? value > low : value >= low) && value <= high &&
               (!whole || value == std::floor(value));
    }
};

// As the configuration file takes them: a bridge has a size.
inline constexpr Range kBridgeWidth{0.0, 10000.0, true};
inline constexpr Range kBridgeLength{0.0, 10000.0, true};
inline constexpr Range kTolerance{0.1, 10.0};
inline constexpr Range kSheetFormat{1.0, 4.0, false, true};  // A1 to A4
inline constexpr Range kOrientation{0.0, 1.0, false, true};  // horizontal or vertical
inline constexpr Range kExportFormat{0.0, 2.0, false, true}; // DXF and fragments, DXF only, fragments only
inline constexpr Range kNestingMethod{0.0, 1.0};          // figure or linear nesting
inline constexpr Range kBridgeType{0.0, 10.0};            // Gap to CrossStart
inline constexpr Range kSheetSide{1.0, 1.0e6};
inline constexpr Range kThickness{0.0, paramlimits::kThickness};
inline constexpr Range kTextSize{0.0, paramlimits::kTextSize, true};
inline constexpr Range kGap{0.0, paramlimits::kGap};
inline constexpr Range kRemnantSize{0.0, paramlimits::kRemnantSize};
inline constexpr Range kColour{0.0, 0xFFFFFF};
// Whole sheets, as many as a double counts exactly: a linear plan's sheet is
// a cutting pattern cut on as many bars as it takes (a list of 5,000 rows of
// 10^9 pieces may need 5·10^12).
inline constexpr Range kSheetCount{1.0, 1.0e15, false, true};
inline constexpr Range kCopies{0.0, paramlimits::kCopies};
inline constexpr Range kCoordinate{-1.0e9, 1.0e9};
inline constexpr Range kScale{0.0, paramlimits::kScale, true};

// Runs `set` when every value lies in its range; without a run, OutOfRange.
template <class F>
NResult SetWithin(std::initializer_list<std::pair<Range, double>> values, F&& set) noexcept
{
    for (const auto& [range, value] : values) {
        if (!range.Holds(value))
            return NResult::OutOfRange;
    }
    Guarded(std::forward<F>(set));
    return NResult::Done;
}

}  // namespace napi
