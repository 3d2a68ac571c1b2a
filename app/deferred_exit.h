// "&Sair" frees the database objects that a running tick or start-up sequence still holds by
// reference. An exit asked for while one of them runs (from a message box's own loop, the
// update branch's message pass, a termination signal read there) is therefore carried out once
// the outermost of them has returned, posted to the loop; the exit's own steps do not change.
#pragma once

#include <functional>
#include <memory>

namespace app {

class DeferredExit {
 public:
  // The exit to carry out later: it runs through the general error handler and begins with
  // Defer(), which then lets it go on.
  explicit DeferredExit(std::function<void()> exit);
  ~DeferredExit();
  DeferredExit(const DeferredExit&) = delete;
  DeferredExit& operator=(const DeferredExit&) = delete;

  // Marks a handler that holds the database objects as running while it lives; the end of
  // the outermost one, by return or by an error on its way to the general error handler,
  // posts an exit asked for meanwhile.
  class HandlerScope {
   public:
    explicit HandlerScope(DeferredExit& owner);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

   private:
    DeferredExit& owner_;
  };

  // Called first by the exit: true when such a handler runs, and the exit is noted for later;
  // false when the exit may go on now (it is then no longer pending).
  bool Defer();
  bool Pending() const;

 private:
  struct State;
  void PostPending();

  std::shared_ptr<State> state_;
};

}  // namespace app
