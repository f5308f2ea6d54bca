// SettingsSandbox: points the settings store at a fresh temporary folder for one test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/settings_store.h"

class SettingsSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/zelvox-settings-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    m_folder = folder;
    setenv("ZELVOX_HOME", folder, 1);
    SettingsStore::ResetAll();
  }

  void TearDown() override {
    SettingsStore::ResetAll();
    unsetenv("ZELVOX_HOME");
    std::filesystem::remove_all(m_folder);
  }

  // The temporary folder that ZELVOX_HOME names during the test.
  const std::filesystem::path& Folder() const { return m_folder; }

  // Every key and value of a hive, one line each ("Key\Sub" and "Key\Sub|Name=text"), in
  // store order.
  static std::string Dump(Hive hive) {
    std::string out;
    DumpKey(SettingsStore::Of(hive), "", out);
    return out;
  }

 private:
  static void DumpKey(SettingsStore& store, const std::string& key, std::string& out) {
    for (const std::string& name : store.ValueNames(key)) {
      out += key + "|" + name + "=";
      if (auto text = store.GetText(key, name)) {
        out += "'" + *text + "'";
      } else if (auto number = store.GetInt(key, name)) {
        out += std::to_string(*number);
      }
      out += "\n";
    }
    for (const std::string& sub : store.SubKeys(key)) {
      const std::string path = key.empty() ? sub : key + "\\" + sub;
      out += path + "\n";
      DumpKey(store, path, out);
    }
  }

  std::filesystem::path m_folder;
};
