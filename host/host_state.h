// Shared state of the stand-in host library.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "nyhost/nyhost_control.h"

namespace nyhost {

struct State {
  std::mutex mutex;
  std::string iniPath;
  // Every INI path handed out, kept so that a pointer given to the driver stays valid
  // while other threads change the path.
  std::set<std::string> iniPathsGiven;
  std::string moduleDir;
  std::string logPath;
  bool messagesToStderr = false;
  bool answerYes = true;
  bool passwordAccept = false;
  NyhostMessageBoxHandler messageBox = nullptr;
  void* messageBoxUser = nullptr;
  NyhostConfirmHandler confirm = nullptr;
  void* confirmUser = nullptr;
  NyhostPasswordHandler password = nullptr;
  void* passwordUser = nullptr;
  NyhostFileNameHandler fileName = nullptr;
  void* fileNameUser = nullptr;
  std::map<uint32_t, std::string> hostStrings;  // CP932
  // The host's language for dialog controls: template name -> control id -> text (CP932).
  std::map<std::string, std::map<int, std::string>> dialogTexts;
  std::string registeredModel;
  NyHmodule registeredModule = nullptr;
  int registerCount = 0;
  int messageBoxCount = 0;
  int confirmCount = 0;
  uint32_t lastConfirmId = 0;
  std::string lastConfirmText;
  std::string lastText;
  std::string lastCaption;
  uint32_t lastStyle = 0;
};

// The one state, initialised from the environment at first use.
State& state();

// UTF-8 <-> CP932 for the stand-in's own texts and its terminal output.
std::string toCp932(const std::string& utf8);
std::string toUtf8(const std::string& cp932);

}  // namespace nyhost
