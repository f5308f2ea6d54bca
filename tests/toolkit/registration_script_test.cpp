// Tests of the registrar script applier against a settings store in a temporary folder.
#include "toolkit/registration_script.h"

#include <gtest/gtest.h>

#include "settings_sandbox.h"

namespace {

const char kScript[] = R"(HKCR
{
	Varnok.Zelvox.1 = s 'Varnok Zelvox'
	{
		CLSID = s '{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}'
	}
	Varnok.Zelvox = s 'Varnok Zelvox'
	{
		CLSID = s '{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}'
		OPC
		{
			val Vendor = s 'Varnok'
		}
	}
	NoRemove CLSID
	{
		ForceRemove {5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26} = s 'Varnok Zelvox'
		{
			ProgID = s 'Varnok.Zelvox.1'
			LocalServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'both'
			}
		}
	}
}
)";

const char kClsidKey[] = "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}";

const std::map<std::string, std::string> kModule = {{"MODULE", "/opt/zelvox/bin/zelvox"}};

HRESULT Apply(const std::string& script, bool doRegister,
              const std::map<std::string, std::string>& replacements = kModule) {
  return ApplyRegistrationScript(script, doRegister, replacements);
}

}  // namespace

using RegistrationScript = SettingsSandbox;

TEST_F(RegistrationScript, RegisterWritesExactlyTheScriptsKeys) {
  ASSERT_EQ(Apply(kScript, true), S_OK);
  EXPECT_EQ(
      Dump(Hive::ClassesRoot),
      "CLSID\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}|='Varnok Zelvox'\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}\\LocalServer32\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}\\LocalServer32|='/opt/zelvox/bin/zelvox'\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}\\LocalServer32|ThreadingModel='both'\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}\\ProgID\n"
      "CLSID\\{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}\\ProgID|='Varnok.Zelvox.1'\n"
      "Varnok.Zelvox\n"
      "Varnok.Zelvox|='Varnok Zelvox'\n"
      "Varnok.Zelvox\\CLSID\n"
      "Varnok.Zelvox\\CLSID|='{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}'\n"
      "Varnok.Zelvox\\OPC\n"
      "Varnok.Zelvox\\OPC|Vendor='Varnok'\n"
      "Varnok.Zelvox.1\n"
      "Varnok.Zelvox.1|='Varnok Zelvox'\n"
      "Varnok.Zelvox.1\\CLSID\n"
      "Varnok.Zelvox.1\\CLSID|='{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}'\n");
  EXPECT_EQ(Dump(Hive::CurrentUser), "");

  // Registering twice changes nothing.
  const std::string once = Dump(Hive::ClassesRoot);
  ASSERT_EQ(Apply(kScript, true), S_OK);
  EXPECT_EQ(Dump(Hive::ClassesRoot), once);
}

TEST_F(RegistrationScript, ForceRemoveReplacesTheKeyAndOtherKeysKeepTheirContent) {
  SettingsStore& hkcr = SettingsStore::Of(Hive::ClassesRoot);
  ASSERT_TRUE(hkcr.SetText(std::string(kClsidKey) + "\\InprocServer32", "", "old.dll"));
  ASSERT_TRUE(hkcr.SetText(kClsidKey, "Stale", "x"));
  ASSERT_TRUE(hkcr.SetText("Varnok.Zelvox\\Extra", "Kept", "y"));

  ASSERT_EQ(Apply(kScript, true), S_OK);
  EXPECT_FALSE(hkcr.KeyExists(std::string(kClsidKey) + "\\InprocServer32"));
  EXPECT_FALSE(hkcr.GetText(kClsidKey, "Stale").has_value());
  EXPECT_EQ(hkcr.GetText(kClsidKey, ""), "Varnok Zelvox");
  EXPECT_EQ(hkcr.GetText("Varnok.Zelvox\\Extra", "Kept"), "y");

  // Keys that other programs share are never wiped as a whole.
  ASSERT_EQ(Apply("HKCR { ForceRemove CLSID { New } Delete AppID }", true), S_OK);
  EXPECT_TRUE(hkcr.KeyExists(std::string(kClsidKey) + "\\LocalServer32"));
  EXPECT_TRUE(hkcr.KeyExists("CLSID\\New"));
}

TEST_F(RegistrationScript, UnregisterRemovesTheScriptsKeysButKeepsNoRemoveAndForeignKeys) {
  SettingsStore& hkcr = SettingsStore::Of(Hive::ClassesRoot);
  ASSERT_TRUE(hkcr.SetText("CLSID\\{00000000-0000-0000-0000-000000000001}", "", "other"));
  ASSERT_EQ(Apply(kScript, true), S_OK);
  ASSERT_TRUE(hkcr.SetText("Varnok.Zelvox\\Extra", "Kept", "y"));

  ASSERT_EQ(Apply(kScript, false), S_OK);
  EXPECT_EQ(Dump(Hive::ClassesRoot),
            "CLSID\n"
            "CLSID\\{00000000-0000-0000-0000-000000000001}\n"
            "CLSID\\{00000000-0000-0000-0000-000000000001}|='other'\n"
            "Varnok.Zelvox\n"
            "Varnok.Zelvox|='Varnok Zelvox'\n"
            "Varnok.Zelvox\\Extra\n"
            "Varnok.Zelvox\\Extra|Kept='y'\n");

  // A NoRemove key stays even when empty; unregistering again finds nothing to do.
  ASSERT_TRUE(hkcr.DeleteKey("CLSID\\{00000000-0000-0000-0000-000000000001}"));
  ASSERT_EQ(Apply(kScript, false), S_OK);
  EXPECT_TRUE(hkcr.KeyExists("CLSID"));
  EXPECT_TRUE(hkcr.SubKeys("CLSID").empty());
}

TEST_F(RegistrationScript, QuotingNumbersDeleteAndReplacements) {
  SettingsStore& hkcu = SettingsStore::Of(Hive::CurrentUser);
  ASSERT_TRUE(hkcu.SetText("Software\\Old\\Sub", "", "gone"));
  const std::string script =
      "HKEY_CURRENT_USER { Software { NoRemove 'My App' = s '100%% %Module%' {\n"
      "  val 'It''s' = s 'a ''quoted''\ttext'\n"
      "  val Count = d '42'\n"
      "  val Mask = d 0xFFFFFFFF\n"
      "  NoRemove val Kept = s 'k' }\n"
      "  Delete Old } }";
  ASSERT_EQ(Apply(script, true, {{"MODULE", "/home/o'brien/zelvox"}}), S_OK);
  EXPECT_EQ(hkcu.GetText("Software\\My App", ""), "100% /home/o'brien/zelvox");
  EXPECT_EQ(hkcu.GetText("Software\\My App", "It's"), "a 'quoted'\ttext");
  EXPECT_EQ(hkcu.GetInt("Software\\My App", "Count"), 42);
  EXPECT_EQ(hkcu.GetInt("Software\\My App", "Mask"), -1);
  EXPECT_FALSE(hkcu.KeyExists("Software\\Old"));

  // Of the NoRemove key only the named values go, except the one marked NoRemove.
  ASSERT_EQ(Apply(script, false, {{"MODULE", "/home/o'brien/zelvox"}}), S_OK);
  EXPECT_EQ(Dump(Hive::CurrentUser),
            "Software\n"
            "Software\\My App\n"
            "Software\\My App|='100% /home/o'brien/zelvox'\n"
            "Software\\My App|Kept='k'\n");
}

TEST_F(RegistrationScript, BadScriptsChangeNothing) {
  ASSERT_EQ(Apply("HKCR { Existing = s 'before' }", true), S_OK);
  const std::string before = Dump(Hive::ClassesRoot);
  // Each error comes after keys that would otherwise have been written.
  for (const char* script : {
           "HKCR { A = s 'x' { B } ",                // '}' missing
           "HKCR { A = s 'x' } HKLM { B }",          // root not served
           "HKCR { A { val V } }",                   // value without '='
           "HKCR { A { val V = b '00' } }",          // unsupported type
           "HKCR { A { val V = d 'ten' } }",         // no number
           "HKCR { A { val V = d '4294967296' } }",  // beyond 32 bits
           "HKCR { A = s 'open }",                   // unterminated text
           "HKCR { A = s '%NOTSET%' }",              // unknown replacement
           "HKCR { A = s '%MODULE }",                // '%' not closed
           "HKCR { A { B\\C } }",                    // compound key name
           "HKCR { A } }",                           // stray '}'
           "HKCR { val V = s 'x' }",                 // value outside a key
           "HKCR { A = }",                           // value missing
       }) {
    std::string error;
    EXPECT_EQ(ApplyRegistrationScript(script, true, kModule, &error), E_FAIL) << script;
    EXPECT_FALSE(error.empty()) << script;
    EXPECT_EQ(ApplyRegistrationScript(script, false, kModule), E_FAIL) << script;
    EXPECT_EQ(Dump(Hive::ClassesRoot), before) << script;
  }
  std::string error;
  ApplyRegistrationScript("HKCR {\n  A\n  {\n    val V = q 'x'\n  }\n}", true, kModule, &error);
  EXPECT_EQ(error, "line 4: value type 'q' is not supported");
}
