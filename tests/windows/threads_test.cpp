// Threads of one process each keep their own thread data: the system's
// thread block and TLS slots, and the compiler's thread-local variables.
// The 32-bit tests run under user-mode emulation, whose preload library
// (qemu32/) gives every thread its own segment descriptors; if that ever
// failed, threads would read each other's data and every 32-bit result
// would be in doubt. Under Wine 64 this holds trivially.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

DWORD tlsIndex;
std::atomic<int> mixedUp{0};
thread_local INT_PTR ownTag;

DWORD WINAPI Worker(LPVOID tag) {
  const DWORD id = GetCurrentThreadId();
  ownTag = reinterpret_cast<INT_PTR>(tag);
  TlsSetValue(tlsIndex, tag);
  for (int i = 0; i < 20000; ++i) {
    if (GetCurrentThreadId() != id || TlsGetValue(tlsIndex) != tag || ownTag != reinterpret_cast<INT_PTR>(tag)) {
      ++mixedUp;
      break;
    }
    if (i % 16 == 0) Sleep(0);  // a system call, and a chance to switch
  }
  return 0;
}

TEST(Threads, EachKeepsItsOwnThreadData) {
  tlsIndex = TlsAlloc();
  ASSERT_NE(tlsIndex, TLS_OUT_OF_INDEXES);
  HANDLE threads[6];
  for (int i = 0; i < 6; ++i) {
    threads[i] = CreateThread(nullptr, 0, Worker, reinterpret_cast<LPVOID>(INT_PTR{i + 1}), 0, nullptr);
    ASSERT_NE(threads[i], nullptr);
  }
  EXPECT_EQ(WaitForMultipleObjects(6, threads, TRUE, 60000), WAIT_OBJECT_0);
  for (HANDLE thread : threads) CloseHandle(thread);
  TlsFree(tlsIndex);
  EXPECT_EQ(mixedUp.load(), 0);
}

}  // namespace
