// Tests of the toolkit functions: initialisation, registration through the script, clients.
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "settings_sandbox.h"

using Toolkit = SettingsSandbox;

TEST_F(Toolkit, InitRecordsTheModuleForRegistration) {
  const ToolkitServerId good{"{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}"};
  const ToolkitServerId bad{"5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26"};
  EXPECT_EQ(ToolkitInit("/opt/zelvox", nullptr), 0);
  EXPECT_EQ(ToolkitInit("/opt/zelvox", &bad), 0);
  EXPECT_EQ(ToolkitInit("", &good), 0);
  ASSERT_NE(ToolkitInit("/opt/zelvox", &good), 0);
  EXPECT_EQ(ToolkitServerClassId(), good.clsid);

  // Without a script there is nothing to register.
  SetRegistrationScript("");
  EXPECT_TRUE(Failed(ToolkitRegister()));

  SetRegistrationScript("HKCR { NoRemove CLSID { ForceRemove " + good.clsid +
                        " { LocalServer32 = s '%MODULE%' } } }");
  ASSERT_NE(ToolkitInit("/usr/lib/zelvox/zelvox", &good), 0);
  ASSERT_TRUE(Succeeded(ToolkitRegister()));
  const std::string key = "CLSID\\" + good.clsid + "\\LocalServer32";
  SettingsStore& hkcr = SettingsStore::Of(Hive::ClassesRoot);
  EXPECT_EQ(hkcr.GetText(key, ""), "/usr/lib/zelvox/zelvox");
  ASSERT_TRUE(Succeeded(ToolkitUnregister()));
  EXPECT_FALSE(hkcr.KeyExists("CLSID\\" + good.clsid));
  EXPECT_TRUE(hkcr.KeyExists("CLSID"));

  SetRegistrationScript("HKCR { broken");
  EXPECT_TRUE(Failed(ToolkitRegister()));
  SetRegistrationScript("");
}

TEST(ToolkitClients, CountsSessionsFromManyThreads) {
  ASSERT_EQ(ToolkitClientsConnected(), 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) ToolkitClientConnected();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ToolkitClientsConnected(), 8000);
  threads.clear();
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) ToolkitClientDisconnected();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ToolkitClientsConnected(), 0);

  // A disconnect too many does not make the next client invisible.
  ToolkitClientDisconnected();
  ToolkitClientConnected();
  EXPECT_NE(ToolkitClientsConnected(), 0);
  ToolkitClientDisconnected();
  EXPECT_EQ(ToolkitClientsConnected(), 0);
}
