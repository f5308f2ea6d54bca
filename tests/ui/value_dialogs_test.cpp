// Tests of the value entry dialogs: filling, the corrections while typing, the checks on OK
// and the value each one writes.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "bus/group_value_texts.h"
#include "platform/code_page.h"
#include "project/eis_type.h"
#include "project/group_item.h"
#include "ui/dimming_control_dialog.h"
#include "ui/value_dialogs.h"
#include "window_fixture.h"

namespace {

class ValueDialogTest : public ::testing::Test {
 protected:
  ValueDialogTest() {
    std::string error;
    EXPECT_TRUE(LoadLanguage(0, &error)) << error;
  }

  // The dialog of an item of `type`, filled with `value` and shown.
  ValueDialog& Open(std::string_view type, const Variant& value = {}) {
    item = std::make_unique<GroupItem>();
    SetTypeFromEsf(*item, type);
    return OpenFor(*item, value);
  }
  ValueDialog& OpenFor(const GroupItem& groupItem, const Variant& value = {}) {
    dialog = CreateValueDialog(groupItem, prompt);
    EXPECT_TRUE(dialog);
    dialog->Fill(value);
    dialog->show();
    return *dialog;
  }

  // Replaces the field's text key by key, as the user types it.
  QString Type(unsigned id, const QString& text) {
    QLineEdit* edit = dialog->Edit(id);
    EXPECT_TRUE(edit) << id;
    edit->clear();
    QTest::keyClicks(edit, text);
    return edit->text();
  }

  // OK: true when the dialog closed; after a refusal the message is in `prompt`.
  bool Ok() {
    dialog->setResult(QDialog::Rejected);
    dialog->accept();
    return dialog->result() == QDialog::Accepted;
  }

  std::string LastMessage() const { return prompt.inserts.empty() ? "" : prompt.inserts.back(); }

  ScriptedPrompt prompt;
  std::unique_ptr<GroupItem> item;
  std::unique_ptr<ValueDialog> dialog;
};

QString Text(const QLabel* label) {
  return label ? label->text() : QStringLiteral("<none>");
}

TEST_F(ValueDialogTest, SwitchDialogsChooseOnWithoutValueAndNameTheBitByType) {
  ValueDialog& d = Open("EIS 1 'Switching' (1 Bit)");
  EXPECT_EQ(Text(d.Label(1009)), "Switching");
  EXPECT_TRUE(d.Radio(1006)->isChecked());
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::Bool(true));

  Open("EIS 1 'Switching' (1 Bit)", Variant::Bool(false));
  EXPECT_TRUE(dialog->Radio(1005)->isChecked());
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::Bool(false));
  EXPECT_EQ(dialog->Result().boolVal(), VARIANT_FALSE);

  Open("EIS 7 'Drive control' (1 Bit)", Variant::Bool(true));
  EXPECT_EQ(Text(dialog->Label(1009)), "Drive control- move");
  EXPECT_EQ(dialog->Radio(1005)->text(), "up / open (0)");
  EXPECT_EQ(dialog->Radio(1006)->text(), "down / close (1)");
  dialog->Radio(1005)->setChecked(true);
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::Bool(false));

  Open("EIS 2 'Dimming - position' (1 Bit)");
  EXPECT_EQ(Text(dialog->Label(1009)), "Dimming - position");
  Open("EIS 8 'Priority - position' (1 Bit)");
  EXPECT_EQ(Text(dialog->Label(1009)), "Priority - position");
  EXPECT_EQ(dialog->Radio(1006)->text(), "On (1)");
}

TEST_F(ValueDialogTest, DimmingControlLimitsTheStepCodeAndNamesItsIntervals) {
  ValueDialog& d = Open("EIS 2 'Dimming - control' (4 Bit)");
  EXPECT_TRUE(d.Radio(1005)->isChecked());
  EXPECT_EQ(d.Edit(1007)->text(), "0");
  EXPECT_EQ(Text(d.Label(1008)), "Step-Break");

  d.Radio(1006)->setChecked(true);
  Type(1007, "3");
  EXPECT_EQ(Text(d.Label(1008)), "=> 4 intervals");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::UI1(0x0B));

  Open("EIS 2 'Dimming - control' (4 Bit)", Variant::UI1(0x0D));  // increase, step 5
  EXPECT_TRUE(dialog->Radio(1006)->isChecked());
  EXPECT_EQ(dialog->Edit(1007)->text(), "5");
  EXPECT_EQ(Text(dialog->Label(1008)), "=> 16 intervals");
  EXPECT_EQ(Type(1007, "9"), "7");
  EXPECT_EQ(Text(dialog->Label(1008)), "=> 64 intervals");
  EXPECT_EQ(Type(1007, "-1"), "7");  // compared unsigned
  EXPECT_EQ(Type(1007, "1"), "1");
  EXPECT_EQ(Text(dialog->Label(1008)), "=> 1 intervals");
  dialog->Radio(1005)->setChecked(true);
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::UI1(1));

  // A field without a number is refused and the dialog stays open.
  Type(1007, "");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(DimmingControlDialog::StepText(2), "=> 2 intervals");
}

TEST_F(ValueDialogTest, PriorityControlChoosesZeroForUnknownValues) {
  const std::pair<std::uint8_t, unsigned> fills[] = {{2, 1006}, {3, 1007}, {1, 1005}, {0, 1005}};
  for (const auto& [value, radio] : fills) {
    Open("EIS 8 'Priority - control' (2 Bit)", Variant::UI1(value));
    EXPECT_TRUE(dialog->Radio(radio)->isChecked()) << int(value);
  }
  Open("EIS 8 'Priority - control' (2 Bit)");
  EXPECT_TRUE(dialog->Radio(1005)->isChecked());
  const std::pair<unsigned, std::uint8_t> results[] = {{1005, 0}, {1006, 2}, {1007, 3}};
  for (const auto& [radio, value] : results) {
    dialog->Radio(radio)->setChecked(true);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(dialog->Result(), Variant::UI1(value));
  }
}

TEST_F(ValueDialogTest, ScalingLimitsPercentAndDegrees) {
  ValueDialog& d = Open("EIS 6 'Scaling - percent' (8 Bit)", Variant::UI1(40));
  EXPECT_EQ(Text(d.Label(1009)), "Scaling - percent");
  EXPECT_EQ(Text(d.Label(1011)), "0-100% per");
  EXPECT_EQ(d.Edit(1010)->text(), "40");
  EXPECT_EQ(Type(1010, "150"), "100");
  EXPECT_EQ(Type(1010, "-5"), "100");
  EXPECT_EQ(Type(1010, "99"), "99");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::UI1(99));

  Open("EIS 6 'Scaling - degree' (8 Bit)");
  EXPECT_EQ(Text(dialog->Label(1009)), "Scaling - degree");
  EXPECT_EQ(Text(dialog->Label(1011)), QString::fromUtf8("0-360\u00B0"));
  EXPECT_EQ(dialog->Edit(1010)->text(), "0");
  EXPECT_EQ(Type(1010, "150"), "150");
  EXPECT_EQ(Type(1010, "400"), "360");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::I2(360));

  Open("EIS 2 'Dimming - value' (8 Bit)", Variant::UI1(100));
  EXPECT_EQ(Text(dialog->Label(1009)), "Dimming - value");
  EXPECT_EQ(Type(1010, "250"), "100");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::I2(100));
  Type(1010, "x");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(LastMessage(), Language()->String(61719));
}

TEST_F(ValueDialogTest, TimeOffersTheDayNamesAndLimitsTheClock) {
  ValueDialog& d = Open("EIS 3 'Time' (3 Byte)");
  QComboBox* days = d.Combo(1016);
  ASSERT_EQ(days->count(), 8);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(days->itemText(i).toStdString(), Language()->String(138 + i));
  EXPECT_EQ(days->currentIndex(), 0);
  EXPECT_EQ(d.Edit(1017)->text(), "0");

  days->setCurrentIndex(2);
  Type(1017, "8");
  Type(1012, "5");
  Type(1013, "0");
  ASSERT_TRUE(Ok());
  const Variant sent = d.Result();
  EXPECT_EQ(Utf16ToAnsi(sent.bstrVal()), Language()->String(140) + " 08:05:00");

  // Filled from that text again; the hour, minute and second limits while typing.
  Open("EIS 3 'Time' (3 Byte)", sent);
  EXPECT_EQ(dialog->Combo(1016)->currentIndex(), 2);
  EXPECT_EQ(dialog->Edit(1017)->text(), "8");
  EXPECT_EQ(dialog->Edit(1012)->text(), "5");
  EXPECT_EQ(Type(1017, "24"), "23");
  EXPECT_EQ(Type(1012, "60"), "59");
  EXPECT_EQ(Type(1013, "75"), "59");
  Type(1013, "");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(LastMessage(), Language()->String(61719));
}

TEST_F(ValueDialogTest, DateRefusesDaysMonthsAndYearsOutsideTheirRanges) {
  ValueDialog& d = Open("EIS 4 'Date' (3 Byte)");
  EXPECT_EQ(d.Edit(1016)->text(), "1");
  EXPECT_EQ(d.Edit(1018)->text(), "1");
  EXPECT_EQ(d.Edit(1019)->text(), "2001");

  Open("EIS 4 'Date' (3 Byte)", Variant::Bstr(u"05.03.2011"));
  EXPECT_EQ(dialog->Edit(1016)->text(), "5");
  EXPECT_EQ(dialog->Edit(1018)->text(), "3");
  EXPECT_EQ(dialog->Edit(1019)->text(), "2011");

  const struct {
    unsigned field;
    const char* text;
    std::uint32_t min, max;
  } refusals[] = {{1016, "32", 1, 31},
                  {1016, "0", 1, 31},
                  {1018, "13", 1, 12},
                  {1019, "2090", 1990, 2089},
                  {1019, "1989", 1990, 2089}};
  for (const auto& refusal : refusals) {
    Open("EIS 4 'Date' (3 Byte)", Variant::Bstr(u"05.03.2011"));
    Type(refusal.field, refusal.text);
    EXPECT_FALSE(Ok()) << refusal.text;
    EXPECT_EQ(LastMessage(), FormatMessage(61714, refusal.min, refusal.max));
    EXPECT_TRUE(dialog->isVisible());
  }
  Type(1019, "2089");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::Bstr(u"05.03.2089"));
}

TEST_F(ValueDialogTest, FloatLimitsTwoByteValuesOnly) {
  ValueDialog& d = Open("EIS 5 'Value' (2 Byte)", Variant::R4(21.5f));
  EXPECT_EQ(Text(d.Label(1009)), "Value");
  EXPECT_EQ(d.Edit(1010)->text(), "21.5");
  EXPECT_EQ(Type(1010, "700000"), "670760.96");
  EXPECT_EQ(Type(1010, "-680000"), "-670760.96");
  EXPECT_EQ(Type(1010, "-671000"), "-671000");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::R4(-671000.0f));
  Type(1010, "12,5");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(LastMessage(), Language()->String(61713));

  Open("EIS 9 'Float value' (4 Byte)");
  EXPECT_EQ(Text(dialog->Label(1009)), "Float");
  EXPECT_EQ(dialog->Edit(1010)->text(), "0");
  EXPECT_EQ(Type(1010, "700000"), "700000");
  EXPECT_EQ(Type(1010, "-1e7"), "-1e7");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::R4(-1e7f));
  Type(1010, "inf");
  EXPECT_FALSE(Ok());
}

TEST_F(ValueDialogTest, CountersLimitToBothReadingsAndSendTheBits) {
  ValueDialog& d = Open("EIS 10 '16Bit Counter' (2 Byte)", Variant::I2(-2));
  EXPECT_EQ(Text(d.Label(1009)), "16Bit Counter");
  EXPECT_EQ(d.Edit(1010)->text(), "-2");
  EXPECT_EQ(Type(1010, "70000"), "65535");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(static_cast<std::uint16_t>(d.Result().iVal()), 0xFFFF);
  EXPECT_EQ(d.Result().vt(), VT_I2);
  EXPECT_EQ(Type(1010, "-1"), "-1");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(static_cast<std::uint16_t>(d.Result().iVal()), 0xFFFF);
  EXPECT_EQ(Type(1010, "-40000"), "-32768");
  Type(1010, "1.5");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(LastMessage(), Language()->String(61712));

  Open("EIS 14 '8Bit Counter' (8 Bit)", Variant::UI1(200));
  EXPECT_EQ(Text(dialog->Label(1009)), "8Bit Counter");
  EXPECT_EQ(dialog->Edit(1010)->text(), "200");
  EXPECT_EQ(Type(1010, "300"), "255");
  EXPECT_EQ(Type(1010, "-200"), "-128");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::UI1(0x80));

  Open("EIS 11 '32Bit Counter' (4 Byte)");
  EXPECT_EQ(Text(dialog->Label(1009)), "32Bit Counter");
  EXPECT_EQ(Type(1010, "4294967295"), "4294967295");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::I4(-1));
  Type(1010, "4294967296");  // beyond 32 bits in either reading
  EXPECT_FALSE(Ok());
}

TEST_F(ValueDialogTest, AccessControlRoundTripsItsText) {
  ValueDialog& d = Open("EIS 12 'Access' (4 Byte)", Variant::Bstr(u"123456 E:1 P:0 D:0 C:1 I:7"));
  EXPECT_EQ(d.Edit(1008)->text(), "123456");
  EXPECT_TRUE(d.Check(1022)->isChecked());
  EXPECT_FALSE(d.Check(1023)->isChecked());
  EXPECT_FALSE(d.Check(1024)->isChecked());
  EXPECT_TRUE(d.Check(1025)->isChecked());
  EXPECT_EQ(d.Edit(1026)->text(), "7");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::Bstr(u"123456 E:1 P:0 D:0 C:1 I:7"));

  Open("EIS 12 'Access' (4 Byte)");
  EXPECT_EQ(dialog->Edit(1008)->text(), "000000");
  EXPECT_EQ(dialog->Edit(1026)->text(), "0");
  EXPECT_EQ(Type(1008, "12ab34567"), "123456");  // digits only, six at most
  EXPECT_EQ(Type(1026, "20"), "15");
  dialog->Check(1023)->setChecked(true);
  ASSERT_TRUE(Ok());
  const Variant sent = dialog->Result();
  EXPECT_EQ(sent, Variant::Bstr(u"123456 E:0 P:1 D:0 C:0 I:15"));
  const std::array<std::uint8_t, 4> bytes = {0x12, 0x34, 0x56, 0x4F};
  EXPECT_EQ(ParseAccessText(Utf16ToAnsi(sent.bstrVal())), bytes);

  // A text without its tags fills what it can.
  Open("EIS 12 'Access' (4 Byte)", Variant::Bstr(u"42"));
  EXPECT_EQ(dialog->Edit(1008)->text(), "42");
  EXPECT_EQ(dialog->Edit(1026)->text(), "0");
}

TEST_F(ValueDialogTest, CharacterAndStringDialogs) {
  ValueDialog& d = Open("EIS 13 'EIB-ASCII-Char' (8 Bit)", Variant::UI1(65));
  ASSERT_EQ(d.Combo(1010)->count(), 128);
  EXPECT_EQ(d.Combo(1010)->currentIndex(), 65);
  d.Combo(1010)->setCurrentIndex(97);
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::UI1(97));
  Open("EIS 13 'EIB-ASCII-Char' (8 Bit)");
  EXPECT_EQ(dialog->Combo(1010)->currentIndex(), 0);

  Open("EIS 15 'Character String' (14 Byte)", Variant::Bstr(u"Gr\u00FC\u00DFe"));
  EXPECT_EQ(dialog->Edit(1010)->text(), QString::fromUtf8("Gr\u00FC\u00DFe"));
  EXPECT_EQ(Type(1010, "abcdefghijklmnopq"), "abcdefghijklmn");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::Bstr(u"abcdefghijklmn"));
  Open("EIS 15 'Character String' (14 Byte)");
  EXPECT_EQ(dialog->Edit(1010)->text(), "");
}

TEST_F(ValueDialogTest, RawDataTakesHexDigitsForTheItemsBytes) {
  GroupItem fourBits;
  SetTypeFromEsf(fourBits, "Unknown");
  fourBits.m_size = 4;  // n = 1
  OpenFor(fourBits);
  EXPECT_EQ(Type(1010, "abc"), "ab");
  EXPECT_EQ(Type(1010, "x"), "");
  EXPECT_EQ(Type(1010, "A-F"), "af");
  Type(1010, "1");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog->Result(), Variant::Bytes({0x10}));

  ValueDialog& d = Open("Uncertain (2 Byte)", Variant::Bytes({0x12, 0xAB}));
  EXPECT_EQ(d.Edit(1010)->text(), "12ab");
  Type(1010, "abc");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(d.Result(), Variant::Bytes({0xAB, 0xC0}));
  // An empty field closes the dialog and sends nothing.
  Type(1010, "");
  ASSERT_TRUE(Ok());
  EXPECT_TRUE(d.Result().IsEmpty());
}

TEST_F(ValueDialogTest, OnlyTheTypesWithADialogGetOne) {
  GroupItem special;
  special.m_eis = -1;
  EXPECT_FALSE(CreateValueDialog(special, prompt));
  GroupItem odd;
  odd.m_eis = 8;
  odd.m_subtype = 0;  // "EIS 8 'Scaling - control' (2 Bit)"
  EXPECT_FALSE(CreateValueDialog(odd, prompt));
  odd.m_eis = 2;
  odd.m_subtype = 4;
  EXPECT_FALSE(CreateValueDialog(odd, prompt));
}

}  // namespace
