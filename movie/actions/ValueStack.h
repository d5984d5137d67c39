// The value stack of one run: a block of MaxStack + 1 values allocated once
// (the last run's block is kept by the runtime for the next), with a top.
//
// Every slot above the top holds undefined, so a push assigns into a slot
// that owns nothing and a pop moves out of one and leaves undefined behind.
// No push reallocates: arguments of calls are read from the stack in place,
// so the stack must never move while a run lasts. The caller keeps the top
// within the block (Interpreter::Push faults at MaxStack first).
//
// Worker thread only.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "movie/actions/ActionValue.h"

namespace Halvane::Movie::Interpreting {

class ValueStack {
 public:
  // Takes over spare's block, or makes one of capacity slots.
  ValueStack(std::vector<ActionValue>& spare, std::size_t capacity) {
    slots_.swap(spare);
    if (slots_.size() < capacity) slots_.resize(capacity);
    data_ = slots_.data();
  }
  ValueStack(const ValueStack&) = delete;
  ValueStack& operator=(const ValueStack&) = delete;
  ~ValueStack() = default;

  // Empties the stack and hands its block to spare unless spare holds a
  // larger one.
  void GiveBack(std::vector<ActionValue>& spare) {
    resize(0);
    if (spare.size() < slots_.size()) spare.swap(slots_);
    data_ = slots_.data();
  }

  std::size_t size() const { return top_; }
  bool empty() const { return top_ == 0; }
  ActionValue& back() { return data_[top_ - 1]; }
  const ActionValue& back() const { return data_[top_ - 1]; }
  ActionValue& operator[](std::size_t i) { return data_[i]; }
  const ActionValue& operator[](std::size_t i) const { return data_[i]; }

  // The slot owns nothing, so the value is made in it without assigning.
  void push_back(const ActionValue& v) { new (data_ + top_++) ActionValue(v); }
  void push_back(ActionValue&& v) { new (data_ + top_++) ActionValue(std::move(v)); }
  // Pushes undefined: the slot holds it already.
  void emplace_back() { ++top_; }
  ActionValue TakeBack() { return std::move(data_[--top_]); }
  void pop_back() { Clear(data_[--top_]); }
  // Pops a value that owns no text (a number, a boolean, an object).
  void PopPlain() { new (data_ + --top_) ActionValue(); }
  // Shrinking drops the values above size; growing pushes undefined.
  void resize(std::size_t size) {
    while (top_ > size) Clear(data_[--top_]);
    top_ = size;
  }

 private:
  static void Clear(ActionValue& slot) {
    slot.~ActionValue();
    new (&slot) ActionValue();
  }

  std::vector<ActionValue> slots_;
  ActionValue* data_ = nullptr;
  std::size_t top_ = 0;
};

}  // namespace Halvane::Movie::Interpreting
