#pragma once
// The failure switch: tests name host calls ("IVarnelDocument2D::GetLayoutSheets")
// or interfaces ("IUserParameters") that must give nothing, so that every
// empty-result road of a caller can be driven.
#include <set>
#include <string>
#include <string_view>

namespace vlhost {

class Failures {
 public:
  static Failures& Instance();
  void Fail(std::string_view name) { names_.insert(std::string(name)); }
  void Restore(std::string_view name) { names_.erase(std::string(name)); }
  void RestoreAll() { names_.clear(); }
  bool Any() const { return !names_.empty(); }
  bool Fails(std::string_view name) const { return !names_.empty() && names_.count(std::string(name)) > 0; }

 private:
  std::set<std::string> names_;
};

// Switches `name` off for the life of the object (for tests).
class FailureScope {
 public:
  explicit FailureScope(std::string_view name) : name_(name) { Failures::Instance().Fail(name_); }
  ~FailureScope() { Failures::Instance().Restore(name_); }
  FailureScope(const FailureScope&) = delete;
  FailureScope& operator=(const FailureScope&) = delete;

 private:
  std::string name_;
};

}  // namespace vlhost
