// Ticks of a dialog's timer that arrive while one of its commands is still running.
//
// Windows keeps delivering a dialog's timer messages while one of its commands waits in
// a nested message loop (a question, an error box, another dialog). A timer that talks
// to the printer must then stay quiet: the command's own exchange and boxes come first,
// and the periodic timer fires again once the command is done. Each such dialog counts
// its running commands in a CommandGuard and skips a tick while the count is not zero.
#pragma once

namespace nypr {

class CommandGuard {
 public:
  class Scope {
   public:
    explicit Scope(CommandGuard& guard) : guard_(guard) { ++guard_.running_; }
    ~Scope() { --guard_.running_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CommandGuard& guard_;
  };

  bool idle() const { return running_ == 0; }

 private:
  int running_ = 0;
};

}  // namespace nypr
