// The driver's windows on POSIX: the headless runtime's, reached through its window table.
#include "host_window.h"

namespace nyhost {

bool isWindow(NyHwnd window) {
  return headless::isKnownWindow(window);
}
bool windowRect(NyHwnd window, Rect& rect) {
  return headless::windowRect(window, rect);
}
Rect screenArea(NyHwnd /*dialog*/) {
  return headless::kScreen;
}
bool moveWindow(NyHwnd window, int32_t left, int32_t top) {
  return headless::moveWindow(window, left, top);
}
bool itemText(NyHwnd dialog, int id, std::string& text) {
  return headless::itemText(dialog, id, text);
}
bool setItemText(NyHwnd dialog, int id, const std::string& text) {
  return headless::setItemText(dialog, id, text);
}
bool resetCombo(NyHwnd dialog, int id) {
  return headless::resetCombo(dialog, id);
}
void addComboItem(NyHwnd dialog, int id, const std::string& text) {
  headless::addComboItem(dialog, id, text);
}
void pumpMessages(NyHwnd window) {
  headless::pumpMessages(window);
}
NyHwnd createNotice(NyHwnd owner, const std::string& text) {
  return headless::createNotice(owner, text);
}
void destroyNotice(NyHwnd notice) {
  headless::destroyNotice(notice);
}
void setWaitCursor(bool /*on*/) {
  // A headless host has no cursor to change.
}

}  // namespace nyhost
