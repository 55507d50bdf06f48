// ComObject: a shared reference to a late-bound automation object, or empty.
#pragma once

#include <memory>

namespace quolvane {

class Dispatchable;

class ComObject {
 public:
  ComObject() = default;
  explicit ComObject(std::shared_ptr<Dispatchable> target) : target_(std::move(target)) {}

  [[nodiscard]] bool IsEmpty() const { return target_ == nullptr; }
  // Releases this reference; the object goes when its last reference does.
  void Clear() { target_.reset(); }
  [[nodiscard]] Dispatchable* Get() const { return target_.get(); }
  [[nodiscard]] const std::shared_ptr<Dispatchable>& Shared() const { return target_; }

  friend bool operator==(const ComObject&, const ComObject&) = default;

 private:
  std::shared_ptr<Dispatchable> target_;
};

}  // namespace quolvane
