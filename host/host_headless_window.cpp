// The headless dialog runtime's windows: every handle the driver hands out points to an
// NyWindowHeader whose table reaches the window. Handles that do not carry the header's
// magic, such as the host's own owner windows, are never written through; an owner is
// only used after a driver window's table has recognised it.
#include <atomic>

#include "host_window.h"

namespace nyhost::headless {
namespace {

// The driver's window table, once a driver window has shown it.
std::atomic<const NyWindowOps*> g_knownOps{nullptr};

// Once one driver window has shown the table, every later handle is only checked through
// the table's isWindow and never read, so a host window passed in its place is harmless.
const NyWindowOps* opsOf(NyHwnd window) {
  if (window == nullptr) return nullptr;
  if (const NyWindowOps* known = g_knownOps.load(); known != nullptr) {
    return known->isWindow(window) != 0 ? known : nullptr;
  }
  const auto* header = reinterpret_cast<const NyWindowHeader*>(window);
  if (header->magic != NY_WINDOW_MAGIC || header->ops == nullptr) return nullptr;
  const NyWindowOps* ops = header->ops;
  if (ops->size < sizeof(NyWindowOps) || ops->isWindow(window) == 0) return nullptr;
  g_knownOps.store(ops);
  return ops;
}

}  // namespace

bool isKnownWindow(NyHwnd window) {
  const NyWindowOps* ops = g_knownOps.load();
  return ops != nullptr && window != nullptr && ops->isWindow(window) != 0;
}

bool windowRect(NyHwnd window, Rect& r) {
  const NyWindowOps* ops = opsOf(window);
  return ops != nullptr && ops->getRect(window, &r.left, &r.top, &r.right, &r.bottom) == 0;
}

bool moveWindow(NyHwnd window, int32_t left, int32_t top) {
  const NyWindowOps* ops = opsOf(window);
  return ops != nullptr && ops->moveTo(window, left, top) == 0;
}

bool itemText(NyHwnd dialog, int id, std::string& text) {
  const NyWindowOps* ops = opsOf(dialog);
  char buf[256];
  if (ops == nullptr || ops->getItemText(dialog, id, buf, sizeof buf) < 0) return false;
  text = buf;
  return true;
}

bool setItemText(NyHwnd dialog, int id, const std::string& text) {
  const NyWindowOps* ops = opsOf(dialog);
  return ops != nullptr && ops->setItemText(dialog, id, text.c_str()) == 0;
}

bool resetCombo(NyHwnd dialog, int id) {
  const NyWindowOps* ops = opsOf(dialog);
  return ops != nullptr && ops->resetCombo(dialog, id) == 0;
}

void addComboItem(NyHwnd dialog, int id, const std::string& text) {
  if (const NyWindowOps* ops = opsOf(dialog)) ops->addComboItem(dialog, id, text.c_str());
}

void pumpMessages(NyHwnd window) {
  const NyWindowOps* ops = opsOf(window);
  if (ops == nullptr) ops = g_knownOps.load();
  if (ops != nullptr) ops->pumpMessages();
}

NyHwnd createNotice(NyHwnd owner, const std::string& text) {
  const NyWindowOps* ops = opsOf(owner);
  return ops != nullptr ? ops->createNotice(owner, text.c_str()) : nullptr;
}

void destroyNotice(NyHwnd notice) {
  if (const NyWindowOps* ops = opsOf(notice)) ops->destroyNotice(notice);
}

}  // namespace nyhost::headless
