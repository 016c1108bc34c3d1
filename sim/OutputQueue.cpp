#include "sim/OutputQueue.h"

#include <algorithm>

namespace sim {

void TOutputQueue::Push(std::string_view bytes, std::int64_t nowUs) {
  if (Bytes_.empty()) NextDueUs_ = nowUs + DelayUs_;
  const std::size_t room = kCapacity - std::min(kCapacity, Bytes_.size());
  const std::size_t count = std::min(room, bytes.size());
  Bytes_.insert(Bytes_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

std::size_t TOutputQueue::Ready(std::int64_t nowUs) const {
  if (Bytes_.empty() || nowUs < NextDueUs_) return 0;
  return DelayUs_ == 0 ? Bytes_.size() : 1;
}

std::int64_t TOutputQueue::NextDueUs() const { return Bytes_.empty() ? -1 : NextDueUs_; }

std::size_t TOutputQueue::Peek(std::uint8_t* out, std::size_t max, std::int64_t nowUs) const {
  const std::size_t count = std::min(max, Ready(nowUs));
  std::copy_n(Bytes_.begin(), count, out);
  return count;
}

void TOutputQueue::Consume(std::size_t count, std::int64_t nowUs) {
  count = std::min(count, Bytes_.size());
  Bytes_.erase(Bytes_.begin(), Bytes_.begin() + static_cast<std::ptrdiff_t>(count));
  if (count > 0) NextDueUs_ = nowUs + DelayUs_;
}

}  // namespace sim
