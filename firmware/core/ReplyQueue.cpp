#include "ReplyQueue.h"

#include "protocol/FrameFormat.h"

namespace quillon {
namespace firmware {

uint8_t ReplyQueue::NextSeq(uint8_t seq) {
    const uint8_t next = static_cast<uint8_t>(seq + 1);
    return next == protocol::FrameFormat::kUnsolicitedSeq ? static_cast<uint8_t>(next + 1) : next;
}

void ReplyQueue::Add(uint8_t seq, uint8_t code, uint8_t value) {
    Run* run = &runs_[back_];
    // A run never comes round to its own first SEQ, so first and last stay unambiguous.
    if (count_ > 0 && run->code == code && run->value == value && NextSeq(run->last) == seq &&
        seq != run->first) {
        run->last = seq;
        return;
    }
    if (Full()) {
        return;
    }
    if (count_ > 0) {
        back_ = Next(back_);
        run = &runs_[back_];
    }
    ++count_;
    run->code = code;
    run->value = value;
    run->first = seq;
    run->last = seq;
}

void ReplyQueue::PopFront() {
    if (count_ == 0) {
        return;
    }
    Run& front = runs_[head_];
    if (front.first != front.last) {
        front.first = NextSeq(front.first);
        return;
    }
    --count_;
    // An empty queue keeps its back at its head, where the next run goes.
    if (count_ > 0) {
        head_ = Next(head_);
    }
}

} // namespace firmware
} // namespace quillon
