// The window's questions answered by the test: every message box is
// recorded with its text, type and caption and answered as scripted (a box
// without a scripted answer takes its default button); the folder and file
// dialogs give the scripted paths, or are cancelled; files handed to the
// desktop's programs are recorded and launch as scripted, and no real
// program starts.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/message_box.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/open_file_dialog.h"
#include "platform/shell/shell_execute.h"

struct ShownBox {
  std::string text;
  uint32_t type;
  std::string caption;
};

class ScriptedDialogs {
 public:
  ScriptedDialogs() {
    SetMessageBoxHandler(
        [this](const std::string& text, const std::string& caption, uint32_t type) {
          boxes.push_back({text, type, caption});
          if (answers.empty()) return DefaultButtonOf(type);
          const int answer = answers.front();
          answers.pop_front();
          return answer;
        });
    SetFolderPicker([this](const BrowseInfo& info) {
      folder_titles.push_back(info.title);
      return Next(folders);
    });
    SetOpenFilePicker([this](const OpenFileName& info) {
      file_requests.push_back(info);
      return Next(files);
    });
    SetShellLauncher([this](const ShellOpen& open) {
      launched.push_back(open);
      return launches;
    });
  }
  ~ScriptedDialogs() {
    SetMessageBoxHandler(nullptr);
    SetFolderPicker(nullptr);
    SetOpenFilePicker(nullptr);
    SetShellLauncher(nullptr);
  }
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  // The texts shown so far, and forgets them.
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const ShownBox& box : boxes) texts.push_back(box.text);
    boxes.clear();
    return texts;
  }

  std::deque<int> answers;
  std::deque<std::optional<std::string>> folders;
  std::deque<std::optional<std::string>> files;
  std::vector<ShownBox> boxes;
  std::vector<std::string> folder_titles;
  std::vector<OpenFileName> file_requests;
  bool launches = true;
  std::vector<ShellOpen> launched;

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<std::string> next = queue.front();
    queue.pop_front();
    return next;
  }
};
