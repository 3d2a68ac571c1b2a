#include "app/deferred_exit.h"

#include "platform/event_loop.h"

namespace app {

struct DeferredExit::State {
  std::function<void()> exit;
  int running = 0;  // handlers that hold the database objects, nested ones counted
  bool pending = false;
};

DeferredExit::DeferredExit(std::function<void()> exit) : state_(std::make_shared<State>()) {
  state_->exit = std::move(exit);
}

DeferredExit::~DeferredExit() = default;

DeferredExit::HandlerScope::HandlerScope(DeferredExit& owner) : owner_(owner) {
  ++owner_.state_->running;
}

DeferredExit::HandlerScope::~HandlerScope() {
  if (--owner_.state_->running == 0 && owner_.state_->pending) owner_.PostPending();
}

bool DeferredExit::Defer() {
  if (state_->running > 0) {
    state_->pending = true;
    return true;
  }
  state_->pending = false;
  return false;
}

bool DeferredExit::Pending() const {
  return state_->pending;
}

void DeferredExit::PostPending() {
  // The task may outlive the main window when the loop has already ended.
  std::weak_ptr<State> weak = state_;
  try {
    platform::PostToLoop([weak] {
      const std::shared_ptr<State> state = weak.lock();
      // Run inside a later handler's message pass: that handler's end posts it again.
      // Carried out already by an earlier post: nothing left to do.
      if (!state || state->running > 0 || !state->pending) return;
      if (platform::TerminationRequested()) {
        // The program is ending already, as that request says (a second copy after its
        // notice, a server ini or data folder not found); its end removes the lock file this
        // copy holds, if any.
        state->pending = false;
        return;
      }
      state->exit();
    });
  } catch (...) {
    // No memory to post with: the exit stays pending, and the next such handler's end posts
    // it again. Ignored on purpose, a destructor cannot report it.
  }
}

}  // namespace app
