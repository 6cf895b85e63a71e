// Process-wide critical sections.
//
// Contract: a CriticalSection is re-entrant on its owning thread, as a Windows critical
// section is (an error box shown while a printer's lock is held runs a message loop that
// may come back into the driver on the same thread). enter/leave must pair up on one
// thread; CriticalSectionLock does that by scope.
#pragma once

#include <mutex>

namespace nypr::platform {

class CriticalSection {
 public:
  void enter() { mutex_.lock(); }
  void leave() { mutex_.unlock(); }
  bool tryEnter() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& cs) : cs_(cs) { cs_.enter(); }
  ~CriticalSectionLock() { cs_.leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& cs_;
};

}  // namespace nypr::platform
