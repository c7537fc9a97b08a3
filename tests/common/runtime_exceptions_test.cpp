// The lighter runtime exceptions of the shipped programs
// (common/runtime_exceptions.cpp), linked into this test as into them: what
// the runtime throws is still caught as a std::exception with a message, and
// running out of memory is still std::bad_alloc.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

template <typename Action>
std::string MessageOf(Action action) {
  try {
    action();
  } catch (const std::bad_alloc&) {
    return "bad_alloc";
  } catch (const std::exception& e) {
    return e.what();
  }
  return "nothing thrown";
}

TEST(RuntimeExceptionsTest, WhatTheRuntimeThrowsIsAStdExceptionWithTheRuntimesMessage) {
  std::wstring text = L"ab";
  EXPECT_NE(MessageOf([&] { (void)text.substr(5); }).find("__pos"), std::string::npos)
      << "out of range, told by the format the runtime gave";
  std::vector<int> numbers;
  EXPECT_EQ(MessageOf([&] { numbers.reserve(numbers.max_size() + 1u); }), "vector::reserve");
}

TEST(RuntimeExceptionsTest, RunningOutOfMemoryIsStillBadAlloc) {
  EXPECT_EQ(MessageOf([] {
              std::vector<char> huge;
              huge.reserve(huge.max_size() / 2);
            }),
            "bad_alloc");
}

}  // namespace
