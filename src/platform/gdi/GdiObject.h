#pragma once

namespace gdi {

// Base of what SelectObject and DeleteObject take. An object selected into a
// context cannot be deleted until it is selected out again.
class GdiObject {
 public:
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  virtual ~GdiObject() = default;

  bool IsSelected() const { return selections_ > 0; }
  bool IsStock() const { return stock_; }
  // Stock objects are shared by every context on every thread and never
  // deleted, so they keep no count.
  void AddSelection() {
    if (!stock_) ++selections_;
  }
  void RemoveSelection() {
    if (!stock_) --selections_;
  }

 protected:
  explicit GdiObject(bool stock = false) : stock_(stock) {}

 private:
  int selections_ = 0;
  bool stock_;
};

}  // namespace gdi
