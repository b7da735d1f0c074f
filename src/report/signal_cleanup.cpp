#include "report/signal_cleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace hf::report {

namespace {

constexpr std::array<int, 4> kCaughtSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// A registered temporary file. The handler reads the slots, so they live in static
// storage and are changed only while the caught signals are blocked.
struct Slot {
  volatile sig_atomic_t active = 0;
  int directory_fd = -1;
  char name[kMaxTemporaryName + 1] = {};
};

std::array<Slot, 8> slots;
volatile sig_atomic_t installed = 0;

bool armed = false;
std::array<struct sigaction, kCaughtSignals.size()> previous_caught;
std::array<bool, kCaughtSignals.size()> caught{};
struct sigaction previous_xfsz;

sigset_t caught_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kCaughtSignals) sigaddset(&set, signal_number);
  return set;
}

// Only async-signal-safe calls: unlinkat, sigaction, sigprocmask, raise, _exit.
extern "C" void remove_temporaries_and_end(int signal_number) {
  if (installed) return;
  for (const Slot& slot : slots)
    if (slot.active) ::unlinkat(slot.directory_fd, slot.name, 0);
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  ::sigaction(signal_number, &default_action, nullptr);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  ::sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  ::raise(signal_number);
  ::_exit(128 + signal_number);  // not reached: the default action of each of them ends the process
}

void arm() {
  struct sigaction handler {};
  handler.sa_handler = remove_temporaries_and_end;
  handler.sa_mask = caught_set();  // one handler at a time
  handler.sa_flags = SA_RESTART;
  for (std::size_t k = 0; k < kCaughtSignals.size(); ++k) {
    ::sigaction(kCaughtSignals[k], nullptr, &previous_caught[k]);
    caught[k] = previous_caught[k].sa_handler != SIG_IGN;
    if (caught[k]) ::sigaction(kCaughtSignals[k], &handler, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, &previous_xfsz);
  armed = true;
}

}  // namespace

int register_temporary(int directory_fd, const char* name) {
  if (!armed) arm();
  installed = 0;
  const std::size_t length = std::strlen(name);
  if (length > static_cast<std::size_t>(kMaxTemporaryName)) return -1;
  for (std::size_t k = 0; k < slots.size(); ++k) {
    Slot& slot = slots[k];
    if (slot.active) continue;
    slot.directory_fd = directory_fd;
    std::memcpy(slot.name, name, length + 1);
    slot.active = 1;
    return static_cast<int>(k);
  }
  return -1;
}

void forget_temporary(int slot) {
  if (slot >= 0 && slot < static_cast<int>(slots.size())) slots[static_cast<std::size_t>(slot)].active = 0;
}

void mark_installed() { installed = 1; }

void restore_signal_handling() {
  SignalBlock block;
  for (Slot& slot : slots) slot.active = 0;
  installed = 0;
  if (!armed) return;
  for (std::size_t k = 0; k < kCaughtSignals.size(); ++k)
    if (caught[k]) ::sigaction(kCaughtSignals[k], &previous_caught[k], nullptr);
  ::sigaction(SIGXFSZ, &previous_xfsz, nullptr);
  armed = false;
}

SignalBlock::SignalBlock() {
  const sigset_t set = caught_set();
  ::sigprocmask(SIG_BLOCK, &set, &saved_);
}

SignalBlock::~SignalBlock() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace hf::report
