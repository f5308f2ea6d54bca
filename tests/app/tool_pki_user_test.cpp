// zelvox-tool user and pki: users added from standard input (read-only or not), listed and
// removed; client certificates trusted, listed and rejected in the PKI folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "run_tool.h"
#include "settings_sandbox.h"
#include "toolkit/opcua/ua_user_store.h"
#include "ua_test_certificates.h"

namespace {

using ToolPkiUserTest = SettingsSandbox;

}  // namespace

TEST_F(ToolPkiUserTest, UsersAreAddedFromStandardInputListedAndRemoved) {
  ToolRun run = RunTool({"user", "add", "operator"}, "first secret\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = RunTool({"user", "add", "viewer", "--read-only"}, "view only\r\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = RunTool({"user", "list"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "operator\tread-write\nviewer\tread-only\n");
  struct stat info {};
  ASSERT_EQ(stat((Folder() / "users").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0077, 0u);

  UaUserStore users((Folder() / "users").string());
  EXPECT_TRUE(users.Authenticate("operator", "first secret"));
  EXPECT_TRUE(users.Authenticate("viewer", "view only")) << "the line end is not the password's";

  EXPECT_EQ(RunTool({"user", "add", "empty"}, "\n").exitCode, 1);
  EXPECT_EQ(RunTool({"user", "add", "nothing"}, "").exitCode, 1);
  EXPECT_EQ(RunTool({"user", "add", "a:b"}, "x\n").exitCode, 1);
  EXPECT_EQ(RunTool({"user", "add", "x", "--admin"}, "x\n").exitCode, 2);
  EXPECT_EQ(RunTool({"user", "remove", "viewer"}).exitCode, 0);
  run = RunTool({"user", "remove", "viewer"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("no user \"viewer\""), std::string::npos) << run.err;
  EXPECT_EQ(RunTool({"user", "list"}).out, "operator\tread-write\n");
}

TEST_F(ToolPkiUserTest, ClientCertificatesAreTrustedListedAndRejected) {
  TestCertificate client = MakeTestCertificate({});
  std::string file = (Folder() / "client.der").string();
  WriteDerFile(file, client.certificate.get());
  std::string thumbprint = UaThumbprint(client.certificate.get());

  EXPECT_EQ(RunTool({"pki", "list"}).out, "") << "nothing yet";
  ToolRun run = RunTool({"pki", "trust", file});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = RunTool({"pki", "list"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("trusted\t" + thumbprint + "\t")) << run.out;
  EXPECT_NE(run.out.find("Test Client"), std::string::npos) << run.out;

  run = RunTool({"pki", "reject", thumbprint.substr(0, 8)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = RunTool({"pki"});
  EXPECT_TRUE(run.out.starts_with("rejected\t" + thumbprint + "\t")) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);

  run = RunTool({"pki", "trust", (Folder() / "missing.der").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("missing.der"), std::string::npos) << run.err;
  EXPECT_EQ(RunTool({"pki", "trust"}).exitCode, 2);
}
