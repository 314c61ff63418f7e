// The process-wide in-memory clipboard.
#include "qmx/foundation/platform.hpp"

namespace qmx {

void TClipboard::SetText(std::string Text) {
  std::lock_guard lock(mutex_);
  text_ = std::move(Text);
  hasText_ = true;
}

std::string TClipboard::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

bool TClipboard::HasText() const {
  std::lock_guard lock(mutex_);
  return hasText_;
}

void TClipboard::SetBitmap(const TBitmap& Bitmap) {
  auto copy = std::make_unique<TBitmap>(Bitmap);  // copied outside the lock
  std::lock_guard lock(mutex_);
  bitmap_.swap(copy);
}

bool TClipboard::GetBitmap(TBitmap& Dest) const {
  std::lock_guard lock(mutex_);
  if (!bitmap_) {
    return false;
  }
  Dest.Assign(bitmap_.get());
  return true;
}

bool TClipboard::HasBitmap() const {
  std::lock_guard lock(mutex_);
  return bitmap_ != nullptr;
}

void TClipboard::Clear() {
  std::unique_ptr<TBitmap> old;
  std::lock_guard lock(mutex_);
  text_.clear();
  hasText_ = false;
  bitmap_.swap(old);
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace qmx
