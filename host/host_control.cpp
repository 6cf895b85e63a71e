// The stand-in host's control API.
#include "core/host_api.h"
#include "host_state.h"
#include "platform/profile.h"

using nyhost::state;

extern "C" {

void nyhostSetIniPath(const char* path) {
  std::lock_guard lock(state().mutex);
  state().iniPath = path ? path : "";
}

void nyhostSetModuleDir(const char* dir) {
  std::lock_guard lock(state().mutex);
  state().moduleDir = dir ? dir : ".";
}

void nyhostSetLogFile(const char* path) {
  std::lock_guard lock(state().mutex);
  state().logPath = path ? path : "";
}

void nyhostSetMessageBoxHandler(NyhostMessageBoxHandler handler, void* user) {
  std::lock_guard lock(state().mutex);
  state().messageBox = handler;
  state().messageBoxUser = user;
}

void nyhostSetConfirmHandler(NyhostConfirmHandler handler, void* user) {
  std::lock_guard lock(state().mutex);
  state().confirm = handler;
  state().confirmUser = user;
}

void nyhostSetPasswordHandler(NyhostPasswordHandler handler, void* user) {
  std::lock_guard lock(state().mutex);
  state().password = handler;
  state().passwordUser = user;
}

void nyhostSetFileNameHandler(NyhostFileNameHandler handler, void* user) {
  std::lock_guard lock(state().mutex);
  state().fileName = handler;
  state().fileNameUser = user;
}

void nyhostSetHostString(uint32_t id, const char* text) {
  std::lock_guard lock(state().mutex);
  if (text == nullptr) {
    state().hostStrings.erase(id);
  } else {
    state().hostStrings[id] = text;
  }
}

const char* nyhostIniPath(void) {
  return TSRGetIniFileName();
}

int nyhostProfileRead(const char* section, const char* key, const char* defaultValue, char* buf,
                      int size) {
  if (size <= 0) return 0;
  return static_cast<int>(nypr::platform::profileReadString(
      TSRGetIniFileName(), section, key, defaultValue, buf, static_cast<size_t>(size)));
}

int nyhostProfileWrite(const char* section, const char* key, const char* value) {
  return nypr::platform::profileWriteString(TSRGetIniFileName(), section, key, value) ? 1 : 0;
}

const char* nyhostRegisteredModel(void) {
  return state().registeredModel.c_str();
}
NyHmodule nyhostRegisteredModule(void) {
  return state().registeredModule;
}
int nyhostRegisterCount(void) {
  return state().registerCount;
}
int nyhostMessageBoxCount(void) {
  return state().messageBoxCount;
}
const char* nyhostLastMessageText(void) {
  return state().lastText.c_str();
}
const char* nyhostLastMessageCaption(void) {
  return state().lastCaption.c_str();
}
uint32_t nyhostLastMessageStyle(void) {
  return state().lastStyle;
}
int nyhostConfirmCount(void) {
  return state().confirmCount;
}
uint32_t nyhostLastConfirmMessageId(void) {
  return state().lastConfirmId;
}
const char* nyhostLastConfirmText(void) {
  return state().lastConfirmText.c_str();
}

void nyhostSetDialogText(const char* dialogName, int controlId, const char* text) {
  if (dialogName == nullptr) return;
  std::lock_guard lock(state().mutex);
  auto& texts = state().dialogTexts[dialogName];
  if (text == nullptr) {
    texts.erase(controlId);
  } else {
    texts[controlId] = text;
  }
}

void nyhostReset(void) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  s.messageBox = nullptr;
  s.confirm = nullptr;
  s.password = nullptr;
  s.fileName = nullptr;
  s.messageBoxCount = 0;
  s.confirmCount = 0;
  s.lastConfirmId = 0;
  s.lastConfirmText.clear();
  s.lastText.clear();
  s.lastCaption.clear();
  s.lastStyle = 0;
  s.dialogTexts.clear();
}

}  // extern "C"
