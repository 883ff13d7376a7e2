#pragma once
// Reference counting of kernel objects, their smart pointer and the arrays the
// kernel's operations take.
//
// A kernel object starts with no reference. Whoever keeps it holds an SPtr
// (or calls AddRef and Release in pairs); the last Release deletes it. An
// operation that makes a new object returns a plain pointer to it, without a
// reference: put it into an SPtr at once.
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#define MB_API __attribute__((visibility("default")))

class MB_API MbRefItem {
 public:
  MbRefItem() = default;
  MbRefItem(const MbRefItem&) : refs_(0) {}
  MbRefItem& operator=(const MbRefItem&) = delete;
  virtual ~MbRefItem();

  long AddRef() const { return ++refs_; }
  long Release() const;
  long GetUseCount() const { return refs_; }

 private:
  mutable long refs_ = 0;
};

template <class T>
class SPtr {
 public:
  SPtr() = default;
  SPtr(std::nullptr_t) {}
  SPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
  SPtr(const SPtr& o) : SPtr(o.p_) {}
  SPtr(SPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  SPtr(const SPtr<U>& o) : SPtr(static_cast<T*>(o.get())) {}
  ~SPtr() { reset(); }
  SPtr& operator=(SPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  friend bool operator==(const SPtr& a, const SPtr& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

// Objects of an array that does not own them.
template <class T>
class RPArray {
 public:
  void Add(T* item) { items_.push_back(item); }
  std::size_t Count() const { return items_.size(); }
  T* operator[](std::size_t i) const { return items_[i]; }
  void Flush() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T*> items_;
};

// Objects of an array that owns them: they go with it.
template <class T>
class PArray {
 public:
  PArray() = default;
  PArray(const PArray&) = delete;
  PArray& operator=(const PArray&) = delete;
  void Add(T* item) { items_.emplace_back(item); }
  std::size_t Count() const { return items_.size(); }
  T* operator[](std::size_t i) const { return items_[i].get(); }
  void Flush() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};
