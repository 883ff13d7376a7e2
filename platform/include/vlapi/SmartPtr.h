#pragma once
// Reference counting, interface query and the smart pointer of the host SDK.
#include <cstddef>
#include <cstring>
#include <utility>

namespace vlapi {

// An interface id: a 36-character GUID text, NUL-terminated, in static storage.
using IAPIObjectIID = const char*;

inline bool SameIID(IAPIObjectIID a, IAPIObjectIID b) {
  return a == b || (a && b && std::strcmp(a, b) == 0);
}

// The root of every host interface. A host object is destroyed when its last
// reference is released; nobody deletes it directly.
struct IAPIObject {
  virtual long AddRef() = 0;
  virtual long Release() = 0;
  // On success *object holds the asked interface with one reference added for
  // the caller, and the answer is true; otherwise *object is null.
  virtual bool QueryInterface(IAPIObjectIID iid, void** object) = 0;

 protected:
  virtual ~IAPIObject() = default;
};

// Holds one counted reference to a host interface `I` whose id is `Iid`.
// Converting from a pointer of another interface asks the object for `Iid`
// and gives an empty pointer when the object does not have it.
template <class I, IAPIObjectIID Iid>
class SmartPtr {
 public:
  using Interface = I;
  static constexpr IAPIObjectIID iid = Iid;

  SmartPtr() = default;
  SmartPtr(std::nullptr_t) {}
  // Takes `p` and adds a reference to it.
  explicit SmartPtr(I* p) : p_(p) { if (p_) p_->AddRef(); }
  SmartPtr(const SmartPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
  SmartPtr(SmartPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class J, IAPIObjectIID Jid>
  SmartPtr(const SmartPtr<J, Jid>& o) { QueryFrom(o.get()); }
  ~SmartPtr() { reset(); }

  SmartPtr& operator=(SmartPtr o) noexcept { std::swap(p_, o.p_); return *this; }
  SmartPtr& operator=(std::nullptr_t) { reset(); return *this; }

  // Adopts a pointer that already carries the reference meant for this holder.
  static SmartPtr Attach(I* p) { SmartPtr s; s.p_ = p; return s; }
  I* Detach() { return std::exchange(p_, nullptr); }

  I* get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator!() const { return p_ == nullptr; }
  void reset() { if (I* p = std::exchange(p_, nullptr)) p->Release(); }

  friend bool operator==(const SmartPtr& a, const SmartPtr& b) { return a.p_ == b.p_; }
  friend bool operator==(const SmartPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  template <class J>
  void QueryFrom(J* source) {
    void* out = nullptr;
    if (source && source->QueryInterface(Iid, &out)) p_ = static_cast<I*>(out);
  }
  I* p_ = nullptr;
};

}  // namespace vlapi
