#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <ostream>
#include <optional>
#include <variant>

#include "QzFmtEdit.h"
#include "TestSupport.h"
#include "ui_QzFmtEditTestForm.h"

void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

void PrintTo(const FieldValue& value, std::ostream* os) {
  *os << (value.IsEmpty() ? "empty" : value.IsDouble() ? "real " : value.IsInteger() ? "integer " : "text ")
      << value.AsString();
}

namespace {

// Shows a window and makes it the active one, so that focus events happen.
bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

// Text as the platform delivers it in one key press, in whatever number of
// code units (QTest::keyClicks would split a surrogate pair into two presses).
void SendTyped(QWidget* widget, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
}

// A window with the field under test, a second numeric field after it in the
// tab order and a plain edit, with beeps recorded.
class FmtEditTest : public ::testing::Test {
protected:
  FmtEditTest() {
    auto* layout = new QVBoxLayout(&FWindow);
    Field = new TFmtEdit(&FWindow);
    Next = new TFmtEdit(&FWindow);
    Other = new QLineEdit(&FWindow);
    layout->addWidget(Field);
    layout->addWidget(Next);
    layout->addWidget(Other);
    QObject::connect(Field, &QzCustomEdit::Exit, [this] {
      ++Exits;
      ExitHadFocus = Field->hasFocus();
      ExitText = Field->text();
    });
    QObject::connect(Next, &QzCustomEdit::Exit, [this] { ++NextExits; });
  }

  // The window gives the field the focus on activation: start from elsewhere.
  void SetUp() override {
    ASSERT_TRUE(ShowActive(FWindow));
    Other->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(Other->hasFocus());
    Exits = NextExits = 0;
  }

  // Enters the field as by Tab: the whole text is selected (also when the
  // field already has the focus).
  void EnterField() {
    Field->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(Field->hasFocus());
    Field->selectAll();
  }
  void Type(const QString& text) { QTest::keyClicks(Field, text); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Field, key, modifiers); }
  // Enters the field, replaces its text by typing and presses Enter.
  void TypeAndCommit(const QString& text) {
    EnterField();
    Type(text);
    Key(Qt::Key_Return);
  }
  // Puts the focus elsewhere without a commit and starts counting afresh.
  void Reset(const FieldValue& value) {
    Field->SetModified(false);
    Other->setFocus(Qt::OtherFocusReason);
    Field->SetValue(value);
    Dialogs.Beeps = 0;
    Exits = NextExits = 0;
  }

  TestSupport::TRecordingDialogs Dialogs;
  QWidget FWindow;
  TFmtEdit* Field = nullptr;
  TFmtEdit* Next = nullptr;
  QLineEdit* Other = nullptr;
  int Exits = 0;
  int NextExits = 0;
  bool ExitHadFocus = false;
  QString ExitText;
};

// ---------------------------------------------------------------------------
// FieldValue
// ---------------------------------------------------------------------------

struct TValueCase {
  FieldValue Value;
  std::optional<double> AsDouble;    // nullopt: EConvertError
  std::optional<int32_t> AsInteger;  // nullopt: EConvertError
  std::string AsString;
};

TEST(FieldValueTest, ConvertsBetweenItsForms) {
  const TValueCase cases[] = {
      {FieldValue(), 0.0, 0, ""},
      {FieldValue(2.5), 2.5, 2, "2.5"},
      {FieldValue(3.5), 3.5, 4, "3.5"},
      {FieldValue(-2.5), -2.5, -2, "-2.5"},
      {FieldValue(0.1), 0.1, 0, "0.1"},
      {FieldValue(0.1 + 0.2), 0.1 + 0.2, 0, "0.30000000000000004"},  // 15 digits would not read back
      {FieldValue(1e20), 1e20, std::nullopt, "1e+20"},
      {FieldValue(2147483647.4), 2147483647.4, 2147483647, "2147483647.4"},
      {FieldValue(2147483647.5), 2147483647.5, std::nullopt, "2147483647.5"},
      {FieldValue(int32_t{7}), 7.0, 7, "7"},
      {FieldValue(int32_t{-2147483647 - 1}), -2147483648.0, -2147483647 - 1, "-2147483648"},
      {FieldValue("12.5"), 12.5, 12, "12.5"},
      {FieldValue("-1E3"), -1000.0, -1000, "-1E3"},
      {FieldValue("3e9"), 3e9, std::nullopt, "3e9"},
      {FieldValue("abc"), std::nullopt, std::nullopt, "abc"},
      {FieldValue("1,5"), std::nullopt, std::nullopt, "1,5"},
      {FieldValue(" 5"), std::nullopt, std::nullopt, " 5"},
      {FieldValue(""), std::nullopt, std::nullopt, ""},
  };
  for (const TValueCase& c : cases) {
    SCOPED_TRACE(c.AsString);
    if (c.AsDouble)
      EXPECT_EQ(c.Value.AsDouble(), *c.AsDouble);
    else
      EXPECT_THROW(c.Value.AsDouble(), EConvertError);
    if (c.AsInteger)
      EXPECT_EQ(c.Value.AsInteger(), *c.AsInteger);
    else
      EXPECT_THROW(c.Value.AsInteger(), EConvertError);
    EXPECT_EQ(c.Value.AsString(), c.AsString);
  }
  // A number's text reads back to the very same number.
  EXPECT_EQ(FieldValue(FieldValue(0.1 + 0.2).AsString()).AsDouble(), 0.1 + 0.2);
  EXPECT_TRUE(FieldValue().IsEmpty());
  EXPECT_FALSE(FieldValue(1.0) == FieldValue(int32_t{1}));
}

// ---------------------------------------------------------------------------
// A new field, values in and out
// ---------------------------------------------------------------------------

TEST_F(FmtEditTest, NewFieldShowsZeroWithNoRange) {
  EXPECT_EQ(Field->text(), "0.0");
  EXPECT_EQ(Field->GetValue(), FieldValue(0.0));
  EXPECT_EQ(Field->FormatStr(), "%0.1f");
  EXPECT_EQ(Field->FormatType(), ft_Fixed);
  EXPECT_EQ(Field->SigDigs(), 5);
  EXPECT_EQ(Field->FormatPrecision(), 0);
  EXPECT_EQ(Field->UnitsType(), utNone);
  EXPECT_EQ(Field->UnitsFactor(), 1.0);
  EXPECT_EQ(Field->UnitsOffset(), 0.0);
  double value = -1e9;
  EXPECT_TRUE(Field->CheckRange(value));
  EXPECT_EQ(value, -1e9);
}

struct TSetCase {
  const char* FormatStr;
  FieldValue Value;
  const char* Shown;
};

TEST_F(FmtEditTest, SetValueShowsTheValueInTheFieldsFormat) {
  const TSetCase cases[] = {
      {"%0.1f", FieldValue(int32_t{4}), "4.0"},
      {"%0.1f", FieldValue(12.345), "12.3"},
      {"%0.1f", FieldValue("2.25"), "2.2"},  // exact halfway: to even
      {"%0.1f", FieldValue(), "0.0"},
      {"%0.1f", FieldValue("abc"), ""},  // cannot convert: empty
      {"%d", FieldValue(2.5), "2"},
      {"%d", FieldValue(3.5), "4"},
      {"%d", FieldValue(1e30), ""},
      {"%0.1f/%0.1f", FieldValue(5.0), "5.0/0.0"},
      {"%0.1f/%0.1f", FieldValue("3/4"), "3.0/4.0"},
      {"%0.1f/%0.1f", FieldValue("x/4"), ""},
      {"%s", FieldValue(1.5), "1.5"},
      {"%0.3e", FieldValue(1500.0), "1.500e+03"},  // kind other formats as a real
      {"%0.1f %d", FieldValue(1.0), ""},           // a format that does not fit one value
  };
  for (const TSetCase& c : cases) {
    SCOPED_TRACE(std::string(c.FormatStr) + " <- " + c.Value.AsString());
    Field->SetFormatStr(c.FormatStr);
    Field->SetValue(c.Value);
    EXPECT_EQ(Field->text(), c.Shown);
  }
}

TEST_F(FmtEditTest, SetValueClearsModifiedAndKeepsSavedText) {
  Field->SetValue(1.0);
  EnterField();
  Type("7");
  ASSERT_TRUE(Field->Modified());
  Field->SetValue(150.0);  // no range check either
  Field->SetRangeHi(100);
  EXPECT_EQ(Field->text(), "150.0");
  EXPECT_FALSE(Field->Modified());
  EXPECT_EQ(Field->SavedText(), "1.0");
}

struct TGetCase {
  const char* FormatStr;
  const char* Shown;
  FieldValue Value;
};

TEST_F(FmtEditTest, GetValueReadsTheShownTextAndNeverFails) {
  const TGetCase cases[] = {
      {"%0.1f", "12.5", FieldValue(12.5)},
      {"%0.1f", " 1 2.5", FieldValue(12.5)},  // cleaned first
      {"%0.1f", "abc", FieldValue("abc")},
      {"%0.1f", "1E-", FieldValue("1E-")},
      {"%d", "7", FieldValue(int32_t{7})},
      {"%d", "2.5", FieldValue(int32_t{2})},
      {"%d", "3000000000", FieldValue(3e9)},  // beyond 32 bits: stays a real
      {"%0.1f/%0.1f", "35.0/24.0", FieldValue("35.0/24.0")},
      {"%0.1f/%0.1f", "35.0", FieldValue("35")},
      {"%0.1f/%0.1f", "35/", FieldValue("35/")},  // read as shown, not cleaned
      {"%s", "x y", FieldValue("x y")},
  };
  for (const TGetCase& c : cases) {
    SCOPED_TRACE(std::string(c.FormatStr) + " " + c.Shown);
    Field->SetFormatStr(c.FormatStr);
    Field->setText(c.Shown);
    EXPECT_EQ(Field->GetValue(), c.Value);
  }
}

// ---------------------------------------------------------------------------
// Commit and range
// ---------------------------------------------------------------------------

struct TRangeCase {
  double Lo, Hi;
  const char* Typed;
  const char* AfterEnter;
  int BeepsAfterEnter;
  int BeepsAfterLeaving;  // in all
  bool KeepsFocus;        // leaving fails again
};

TEST_F(FmtEditTest, CommitPullsValuesIntoRangeWithTolerance) {
  const TRangeCase cases[] = {
      // Start and End
      {0.01, 100, "150", "100.0", 1, 1, false},
      {0.01, 100, "100.4", "100.4", 0, 0, false},  // within 0.5 %
      {0.01, 100, "0.00996", "0.0", 0, 1, true},   // 0.0 reads back as 0
      {0.01, 100, "0", "0.0", 1, 2, true},
      // Count
      {2, 20, "25", "20.0", 1, 1, false},
      {2, 20, "1.995", "2.0", 0, 0, false},
      {2, 20, "1.98", "2.0", 1, 1, false},
      // No tolerance below a zero bound
      {0, 100, "-0.3", "0.0", 1, 1, false},
      {0, 100, "100.3", "100.3", 0, 0, false},
      // Text that is no number: left as typed, no beep
      {0, 100, ".", ".", 0, 0, false},
  };
  for (const TRangeCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    Reset(1.0);
    Field->SetRangeLo(c.Lo);
    Field->SetRangeHi(c.Hi);
    TypeAndCommit(c.Typed);
    EXPECT_EQ(Field->text(), c.AfterEnter);
    EXPECT_EQ(Dialogs.Beeps, c.BeepsAfterEnter);
    EXPECT_TRUE(Field->hasFocus());
    EXPECT_TRUE(Field->Modified());

    Key(Qt::Key_Tab);
    EXPECT_EQ(Field->text(), c.AfterEnter);
    EXPECT_EQ(Dialogs.Beeps, c.BeepsAfterLeaving);
    EXPECT_EQ(Field->hasFocus(), c.KeepsFocus);
    EXPECT_EQ(Next->hasFocus(), !c.KeepsFocus);
    EXPECT_EQ(Exits, 1);
    EXPECT_EQ(ExitHadFocus, c.KeepsFocus);
  }
}

TEST_F(FmtEditTest, FailedCommitOnLeavingTakesTheFocusBackBeforeExit) {
  Field->SetRangeLo(0.01);
  Field->SetRangeHi(100);
  Field->SetValue(1.0);
  EnterField();
  Type("150");
  QTest::mouseClick(Next, Qt::LeftButton);

  EXPECT_EQ(Exits, 1);
  EXPECT_TRUE(ExitHadFocus);  // the handler sees the pulled value with the focus back
  EXPECT_EQ(ExitText, "100.0");
  EXPECT_EQ(Dialogs.Beeps, 1);
  EXPECT_EQ(QApplication::focusWidget(), Field);
  EXPECT_EQ(FWindow.focusWidget(), Field);
  EXPECT_EQ(QGuiApplication::focusObject(), Field);
  EXPECT_TRUE(Field->Modified());
  EXPECT_EQ(Field->SavedText(), "1.0");  // still the text on entry
  EXPECT_EQ(NextExits, 0);

  // The pulled value passes the next commit: the field is left normally.
  Key(Qt::Key_Tab);
  EXPECT_TRUE(Next->hasFocus());
  EXPECT_EQ(Exits, 2);
  EXPECT_EQ(Dialogs.Beeps, 1);
  EXPECT_EQ(Field->GetValue(), FieldValue(100.0));

  // Typing in the next field works as usual.
  QTest::keyClicks(Next, "5");
  EXPECT_EQ(Next->text(), "5");
}

TEST_F(FmtEditTest, ValueThatFailsEveryCommitIsLeftOnlyByEscape) {
  Field->SetRangeLo(0.01);
  Field->SetRangeHi(100);
  Field->SetValue(1.0);
  TypeAndCommit("0");
  Key(Qt::Key_Return);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Dialogs.Beeps, 3);
  EXPECT_TRUE(Field->hasFocus());

  Key(Qt::Key_Escape);
  EXPECT_EQ(Field->text(), "1.0");
  EXPECT_FALSE(Field->Modified());
  Key(Qt::Key_Tab);
  EXPECT_TRUE(Next->hasFocus());
  EXPECT_EQ(Dialogs.Beeps, 3);
}

TEST_F(FmtEditTest, ExitFiresOnEveryLeavingButNotForAnotherWindow) {
  EnterField();
  Other->setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(Exits, 1);

  // Another window taking the focus is no leaving: no commit, no exit, and
  // coming back keeps the changes.
  EnterField();
  Type("150");
  QWidget another;
  ASSERT_TRUE(ShowActive(another));
  EXPECT_EQ(Exits, 1);
  EXPECT_EQ(Field->text(), "150");
  ASSERT_TRUE(ShowActive(FWindow));
  EXPECT_TRUE(Field->hasFocus());
  EXPECT_TRUE(Field->Modified());
  EXPECT_EQ(Field->SavedText(), "0.0");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Field->text(), "150.0");
  EXPECT_EQ(Exits, 2);
}

// ---------------------------------------------------------------------------
// Key filtering and editing
// ---------------------------------------------------------------------------

struct TKindCase {
  const char* FormatStr;
  const char* Typed;
  const char* Shown;
  int Beeps;
  const char* Committed;
};

TEST_F(FmtEditTest, KeysAreFilteredByTheKindOfFormat) {
  const TKindCase cases[] = {
      {"%0.1f", "-1.5e/+", "-1.5", 3, "-1.5"},
      {"%0.4g", "1e3/", "1e3", 1, "1000"},
      {"%0.4g", "2E-2", "2E-2", 0, "0.02"},
      {"%d", "-12.5", "-125", 1, "-125"},
      {"%0.1f/%0.1f", "35/24e", "35/24", 1, "35.0/24.0"},
      {"%0.1f/%0.1f", "35", "35", 0, "35.0"},
      {"%s", "ab +/-", "ab +/-", 0, "ab +/-"},
      {"%0.3e", "xyz", "xyz", 0, "xyz"},
      {"%0.3e", "1500", "1500", 0, "1.500e+03"},
      {"%0.1f m/s", "2x.5", "2.5", 1, "2.5"},  // the real directive filters, though "s" is in the string
  };
  for (const TKindCase& c : cases) {
    SCOPED_TRACE(std::string(c.FormatStr) + " " + c.Typed);
    Reset(FieldValue());
    Field->SetFormatStr(c.FormatStr);
    Field->setText(QString());
    EnterField();
    Type(c.Typed);
    EXPECT_EQ(Field->text(), c.Shown);
    EXPECT_EQ(Dialogs.Beeps, c.Beeps);
    EXPECT_TRUE(Field->Modified());
    Key(Qt::Key_Return);
    EXPECT_EQ(Field->text(), c.Committed);
  }
}

// Alt or Meta with a letter inserts nothing, filtered or not.
TEST_F(FmtEditTest, AltAndMetaLettersTypeNothing) {
  Reset(FieldValue(1.0));
  EnterField();
  QTest::keyClick(Field, Qt::Key_X, Qt::AltModifier);
  QTest::keyClick(Field, Qt::Key_E, Qt::MetaModifier);
  EXPECT_EQ(Field->text(), "1.0");
  EXPECT_EQ(Dialogs.Beeps, 0);
}

struct TEditCase {
  const char* Text;
  int SelStart, SelLength;  // length 0: caret at SelStart
  std::function<void(QWidget*)> Keys;
  const char* Shown;
  int Caret;
  int Beeps;
  bool Modified = true;
};

TEST_F(FmtEditTest, TypingAndBackspaceWorkOnTheSelectionAsTheFieldDecides) {
  const auto type = [](const char* text) { return [text](QWidget* w) { QTest::keyClicks(w, text); }; };
  const auto backspace = [](QWidget* w) { QTest::keyClick(w, Qt::Key_Backspace); };
  const TEditCase cases[] = {
      {"12345", 2, 2, type("7"), "1275", 3, 0},
      {"12345", 2, 2, type("x"), "125", 2, 1},    // refused, but the selection is gone
      {"12345", 2, 1, type("x"), "12345", 3, 1},  // one selected character stays
      {"12345", 2, 1, type("7"), "12745", 3, 0},
      {"12345", 0, 5, backspace, "12345", 5, 0},  // whole text selected: nothing
      {"12345", 3, 0, backspace, "1245", 2, 0},
      {"12345", 2, 2, backspace, "1345", 1, 0},  // the character before the selection
      {"12345", 0, 0, backspace, "12345", 0, 0},
      {"12345", 0, 5, type("7"), "7", 1, 0},
      {"12345", 5, 0, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Delete); }, "12345", 5, 0, false},
      {"12345", 1, 0, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Delete); }, "1345", 1, 0},
  };
  for (const TEditCase& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + " " + std::to_string(c.SelStart) + "+" + std::to_string(c.SelLength));
    Reset(FieldValue());
    EnterField();
    Field->setText(c.Text);
    Field->SetModified(false);
    if (c.SelLength > 0)
      Field->setSelection(c.SelStart, c.SelLength);
    else
      Field->setCursorPosition(c.SelStart);
    c.Keys(Field);
    EXPECT_EQ(Field->text(), c.Shown);
    EXPECT_EQ(Field->cursorPosition(), c.Caret);
    EXPECT_EQ(Dialogs.Beeps, c.Beeps);
    EXPECT_EQ(Field->Modified(), c.Modified);
  }
}

TEST_F(FmtEditTest, ReadOnlyFieldIgnoresTypingBackspaceAndEnter) {
  Field->setReadOnly(true);
  Field->SetRangeHi(0.5);
  Field->SetValue(3.0);
  EnterField();
  Field->setCursorPosition(3);
  Type("12");
  Key(Qt::Key_Backspace);
  Key(Qt::Key_Return);
  EXPECT_EQ(Field->text(), "3.0");
  EXPECT_FALSE(Field->Modified());
  EXPECT_EQ(Dialogs.Beeps, 0);
  Key(Qt::Key_Tab);
  EXPECT_TRUE(Next->hasFocus());
}

TEST_F(FmtEditTest, PastedTextIsNotFilteredAndIntegerCommitRoundsHalfToEven) {
  Field->SetFormatStr("%d");
  for (const auto& [pasted, committed] : {std::pair{"2.5", "2"}, std::pair{"3.5", "4"}, std::pair{"-2.5", "-2"}}) {
    SCOPED_TRACE(pasted);
    QApplication::clipboard()->setText(pasted);
    EnterField();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Field->text(), pasted);
    EXPECT_TRUE(Field->Modified());
    Key(Qt::Key_Return);
    EXPECT_EQ(Field->text(), committed);
  }
  EXPECT_EQ(Field->GetValue(), FieldValue(int32_t{-2}));
  EXPECT_EQ(Dialogs.Beeps, 0);

  // Copy and cut are the platform's too.
  Field->selectAll();
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Field->text(), "");
  EXPECT_EQ(QApplication::clipboard()->text(), "-2");
}

TEST_F(FmtEditTest, PairFieldChecksAndFormatsEachValue) {
  Field->SetFormatStr("%0.1f/%0.1f");
  Field->SetRangeLo(0);
  Field->SetRangeHi(100);
  TypeAndCommit("35/24");
  EXPECT_EQ(Field->text(), "35.0/24.0");
  EXPECT_EQ(Field->GetValue(), FieldValue("35.0/24.0"));
  TypeAndCommit("35");
  EXPECT_EQ(Field->text(), "35.0");
  EXPECT_EQ(Dialogs.Beeps, 0);
  TypeAndCommit("150/-3");  // both pulled
  EXPECT_EQ(Field->text(), "100.0/0.0");
  EXPECT_EQ(Dialogs.Beeps, 1);
  TypeAndCommit("35/");
  EXPECT_EQ(Field->text(), "35.0/0.0");
  Field->SetValue(5.0);
  EXPECT_EQ(Field->text(), "5.0/0.0");
}

TEST_F(FmtEditTest, TextFieldAcceptsEverythingWithoutRange) {
  Field->SetFormatStr("%s");
  Field->SetRangeLo(0);
  Field->SetRangeHi(1);
  TypeAndCommit("5 m/s");
  EXPECT_EQ(Field->text(), "5 m/s");
  EXPECT_EQ(Dialogs.Beeps, 0);
  EXPECT_EQ(Field->GetValue(), FieldValue("5 m/s"));

  TFmtEdit fresh;
  fresh.SetFormatStr("%S");
  EXPECT_EQ(fresh.text(), "");
  TFmtEdit shown;
  shown.SetValue(1.0);
  shown.SetFormatStr("%S");
  EXPECT_EQ(shown.text(), "1.0");
}

// ---------------------------------------------------------------------------
// Escape
// ---------------------------------------------------------------------------

TEST_F(FmtEditTest, EscapeRestoresTheTextOnEntry) {
  Field->SetValue(1.0);
  EnterField();
  Type("55");
  Key(Qt::Key_Escape);
  EXPECT_EQ(Field->text(), "1.0");
  EXPECT_FALSE(Field->Modified());

  // Also after a commit within the same visit.
  Field->SetRangeHi(100);
  EnterField();
  Type("150");
  Key(Qt::Key_Return);
  EXPECT_EQ(Field->text(), "100.0");
  Key(Qt::Key_Escape);
  EXPECT_EQ(Field->text(), "1.0");
}

TEST(FmtEditDialogTest, EscapeInAModifiedFieldDoesNotCloseTheDialog) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* field = new TFmtEdit(&dialog);
  layout->addWidget(field);
  int rejected = 0;
  QObject::connect(&dialog, &QDialog::rejected, [&] { ++rejected; });
  field->SetValue(1.0);
  ASSERT_TRUE(ShowActive(dialog));
  field->setFocus(Qt::TabFocusReason);

  QTest::keyClicks(field, "42");
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_EQ(rejected, 0);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(field->text(), "1.0");

  QTest::keyClick(field, Qt::Key_Escape);  // no changes: the dialog's
  EXPECT_EQ(rejected, 1);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FmtEditTest, EscapeShortcutWaitsWhileTheFieldHoldsChanges) {
  QAction cancel(&FWindow);
  cancel.setShortcut(Qt::Key_Escape);
  FWindow.addAction(&cancel);
  int triggered = 0;
  QObject::connect(&cancel, &QAction::triggered, [&] { ++triggered; });
  Field->SetValue(1.0);
  EnterField();
  Type("9");
  Key(Qt::Key_Escape);
  EXPECT_EQ(triggered, 0);
  EXPECT_EQ(Field->text(), "1.0");
  Key(Qt::Key_Escape);
  EXPECT_EQ(triggered, 1);
}

// ---------------------------------------------------------------------------
// Characters of several code units
// ---------------------------------------------------------------------------

TEST_F(FmtEditTest, CharactersOfSeveralCodeUnitsAreOneCharacter) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // a surrogate pair
  const QString accented = QString::fromUtf8("e\xCC\x81");      // e + combining acute
  Field->SetFormatStr("%s");
  Field->setText(QString());
  EnterField();
  SendTyped(Field, smile);
  EXPECT_EQ(Field->text(), smile);
  EXPECT_EQ(Field->cursorPosition(), 2);
  SendTyped(Field, accented);
  Type("a");
  EXPECT_EQ(Field->text(), smile + accented + "a");

  // The caret steps over whole characters.
  Key(Qt::Key_Left);
  EXPECT_EQ(Field->cursorPosition(), 4);
  Key(Qt::Key_Left);
  EXPECT_EQ(Field->cursorPosition(), 2);
  Key(Qt::Key_Left);
  EXPECT_EQ(Field->cursorPosition(), 0);

  // Backspace takes a whole character.
  Field->setCursorPosition(4);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Field->text(), smile + "a");
  EXPECT_EQ(Field->cursorPosition(), 2);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Field->text(), "a");
  EXPECT_EQ(Field->cursorPosition(), 0);

  // One selected character of two code units is replaced by the typed one.
  Field->setText(smile + "b");
  Field->setSelection(0, 2);
  Type("x");
  EXPECT_EQ(Field->text(), "xb");

  // A selection that splits a character takes all of it.
  Field->setText(smile + "bc");
  Field->setSelection(1, 2);
  Field->DeleteSelection();
  EXPECT_EQ(Field->text(), "c");
}

TEST_F(FmtEditTest, NumericFieldRefusesAWideCharacterWithOneBeep) {
  Field->setText("1");
  EnterField();
  Field->setCursorPosition(1);
  SendTyped(Field, QString::fromUtf8("\xF0\x9F\x98\x80"));
  SendTyped(Field, QString::fromUtf8("\xEF\xBC\x95"));  // fullwidth digit five
  EXPECT_EQ(Field->text(), "1");
  EXPECT_EQ(Dialogs.Beeps, 2);
}

TEST_F(FmtEditTest, InputMethodTextGoesThroughTheFilter) {
  Field->setText(QString());
  EnterField();
  QInputMethodEvent commit;
  commit.setCommitString("5x.2");
  QApplication::sendEvent(Field, &commit);
  EXPECT_EQ(Field->text(), "5.2");
  EXPECT_EQ(Dialogs.Beeps, 1);
}

// ---------------------------------------------------------------------------
// Units of measure
// ---------------------------------------------------------------------------

TEST_F(FmtEditTest, TemperatureHeldInCelsiusShowsInFahrenheitThenKelvin) {
  QLabel label;
  Field->SetUnitsLabel(&label);
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsBase(0);
  Field->SetUnitsValue(1);
  EXPECT_EQ(label.text(), QString::fromUtf8("°F"));
  EXPECT_EQ(Field->FormatStr(), "%0.1f");
  Field->SetValue(100.0);
  EXPECT_EQ(Field->text(), "212.0");
  EXPECT_DOUBLE_EQ(Field->GetValue().AsDouble(), 100.0);

  Field->SetUnitsValue(2);
  EXPECT_EQ(Field->text(), "373.15");
  EXPECT_EQ(Field->FormatStr(), "%0.2f");
  EXPECT_EQ(Field->FormatPrecision(), 2);
  EXPECT_EQ(label.text(), "K");
  EXPECT_NEAR(Field->GetValue().AsDouble(), 100.0, 1e-9);
}

TEST_F(FmtEditTest, ManualFormatIsKeptWhateverTheUnit) {
  Field->SetFormatStr("%0.3f");
  Field->SetFormatType(ft_Manual);
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsValue(1);
  Field->SetValue(100.0);
  EXPECT_EQ(Field->FormatStr(), "%0.3f");
  EXPECT_EQ(Field->text(), "212.000");
  Field->SetUnitsValue(2);
  EXPECT_EQ(Field->text(), "373.150");
}

TEST_F(FmtEditTest, UnitIndicesAreBoundedToTheQuantity) {
  Field->SetUnitsValue(-3);  // utNone: any index
  EXPECT_EQ(Field->UnitsValue(), -3);
  Field->SetUnitsType(utTemperature);  // bounds both stored indices
  EXPECT_EQ(Field->UnitsValue(), 0);
  Field->SetUnitsValue(7);
  EXPECT_EQ(Field->UnitsValue(), 2);
  Field->SetUnitsBase(5);
  EXPECT_EQ(Field->UnitsBase(), 2);
  Field->SetUnitsBase(-1);
  EXPECT_EQ(Field->UnitsBase(), 0);
  EXPECT_THROW(Field->SetUnitsType(static_cast<TUnitsType>(UnitsTypeCount)), EConvertError);
  EXPECT_THROW(Field->SetFormatType(static_cast<TFormatType>(4)), EConvertError);
  EXPECT_EQ(Field->UnitsType(), utTemperature);
}

TEST_F(FmtEditTest, SettingTheQuantityTakesTheShownNumberAsHeld) {
  Field->SetValue(20.0);
  Field->SetUnitsType(utTemperature);
  EXPECT_EQ(Field->text(), "20.0");
  Field->SetUnitsValue(1);
  EXPECT_EQ(Field->text(), "68.0");
}

TEST_F(FmtEditTest, RangeInBaseUnitIsCheckedInDisplayUnit) {
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsValue(1);
  Field->SetRangeLo(0);
  Field->SetRangeHi(100);
  TypeAndCommit("212");
  EXPECT_EQ(Field->text(), "212.0");
  EXPECT_EQ(Dialogs.Beeps, 0);
  TypeAndCommit("250");
  EXPECT_EQ(Field->text(), "212.0");
  EXPECT_EQ(Dialogs.Beeps, 1);
  TypeAndCommit("20");
  EXPECT_EQ(Field->text(), "32.0");
  EXPECT_EQ(Dialogs.Beeps, 2);
  EXPECT_NEAR(Field->GetValue().AsDouble(), 0.0, 1e-12);
}

TEST_F(FmtEditTest, PairFieldConvertsBothValues) {
  Field->SetFormatStr("%0.1f/%0.1f");
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsValue(1);
  EXPECT_EQ(Field->FormatStr(), "%0.1f/%0.1f");
  Field->SetValue("100/0");
  EXPECT_EQ(Field->text(), "212.0/32.0");
  EXPECT_EQ(Field->GetValue(), FieldValue("100.0/0.0"));
  Field->setText("212");
  EXPECT_EQ(Field->GetValue(), FieldValue("100"));
}

TEST_F(FmtEditTest, UnreadableTextHoldsTheUnitSettingsBack) {
  QLabel label;
  Field->SetUnitsLabel(&label);
  Field->setText("abc");
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsValue(1);
  EXPECT_EQ(Field->UnitsFactor(), 1.0);
  EXPECT_EQ(Field->UnitsOffset(), 0.0);
  EXPECT_EQ(label.text(), "");
  EXPECT_EQ(Field->text(), "abc");
  Field->setText("100");
  Field->SetUnitsValue(1);
  EXPECT_EQ(Field->text(), "212.0");
  EXPECT_EQ(label.text(), QString::fromUtf8("°F"));
}

TEST_F(FmtEditTest, UnitsLabelMayDieFirstAndIsNotOwned) {
  auto* label = new QLabel;
  Field->SetFormatStr("%s");
  Field->SetUnitsLabel(label);
  EXPECT_EQ(Field->FormatStr(), "%0.1f");  // a unit needs a number
  delete label;
  EXPECT_EQ(Field->UnitsLabel(), nullptr);
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsValue(1);
  EXPECT_EQ(Field->text(), "32.0");

  QLabel survivor;
  {
    TFmtEdit field;
    field.SetUnitsLabel(&survivor);
    field.SetUnitsType(utPressure);
    EXPECT_EQ(survivor.text(), "kPa");
  }
  EXPECT_EQ(survivor.text(), "kPa");
}

TEST_F(FmtEditTest, AssignCopiesFormatUnitsAndText) {
  QLabel label;
  TFmtEdit source;
  source.SetFormatStr("%0.3f");
  source.SetFormatType(ft_Manual);
  source.SetSigDigs(3);
  source.SetUnitsLabel(&label);
  source.SetUnitsType(utTemperature);
  source.SetUnitsValue(1);
  source.SetRangeHi(100);
  source.SetValue(100.0);
  Field->Assign(source);
  EXPECT_EQ(Field->FormatStr(), "%0.3f");
  EXPECT_EQ(Field->FormatType(), ft_Manual);
  EXPECT_EQ(Field->SigDigs(), 3);
  EXPECT_EQ(Field->UnitsType(), utTemperature);
  EXPECT_EQ(Field->UnitsValue(), 1);
  EXPECT_EQ(Field->UnitsFactor(), source.UnitsFactor());
  EXPECT_EQ(Field->UnitsOffset(), source.UnitsOffset());
  EXPECT_EQ(Field->FormatPrecision(), 3);
  EXPECT_EQ(Field->text(), "212.000");
  EXPECT_DOUBLE_EQ(Field->GetValue().AsDouble(), 100.0);
  EXPECT_EQ(Field->RangeHi(), 0.0);
  EXPECT_EQ(Field->UnitsLabel(), nullptr);
}

// ---------------------------------------------------------------------------
// Design mode and stored forms
// ---------------------------------------------------------------------------

TEST_F(FmtEditTest, DesignModeFormatsAtOnceRunTimeOnlyStores) {
  Field->setText("12.345");
  Field->SetFormatStr("%0.2f");
  EXPECT_EQ(Field->text(), "12.345");

  Field->SetDesignMode(true);
  Field->setText("12.345");
  EXPECT_EQ(Field->text(), "12.35");
  Field->SetFormatStr("%0.1f");
  EXPECT_EQ(Field->text(), "12.3");
  Field->SetFormatType(ft_Auto);
  EXPECT_EQ(Field->text(), "12.300");
  Field->SetSigDigs(3);
  EXPECT_EQ(Field->text(), "12.3");
  Field->setProperty("text", "7.77");  // the property goes the same way
  EXPECT_EQ(Field->text(), "7.770");

  Field->SetLoading(true);
  Field->SetFormatType(ft_Fixed);
  Field->setText("98.6000");
  EXPECT_EQ(Field->text(), "98.6000");
  Field->SetLoading(false);
}

TEST_F(FmtEditTest, DesignModeAppliesTheUnitFirst) {
  Field->SetDesignMode(true);
  Field->SetUnitsType(utTemperature);
  Field->SetUnitsValue(1);
  Field->SetFormatType(ft_Manual);
  Field->setText("100");
  EXPECT_EQ(Field->text(), "100.0");
  Field->SetFormatStr("%0.3f");
  EXPECT_EQ(Field->text(), "100.000");
  Field->SetFormatType(ft_Fixed);  // the unit's own format comes back
  EXPECT_EQ(Field->FormatStr(), "%0.1f");
  EXPECT_EQ(Field->text(), "100.0");
}

TEST_F(FmtEditTest, FailedCommitInDesignModeLeavesTheFocus) {
  Field->SetRangeHi(100);
  Field->SetDesignMode(true);
  Other->setFocus(Qt::OtherFocusReason);
  Field->setText("150");
  EXPECT_EQ(Field->text(), "100.0");
  EXPECT_EQ(Dialogs.Beeps, 0);  // formatting alone does not beep

  Field->SetLoading(true);
  Field->setText("150");
  Field->SetLoading(false);
  Field->SetModified(true);
  Field->CommitEdit();
  EXPECT_EQ(Field->text(), "100.0");
  EXPECT_EQ(Dialogs.Beeps, 1);
  EXPECT_TRUE(Other->hasFocus());

  // At run time the same commit takes the focus.
  Field->SetDesignMode(false);
  Field->setText("150");
  Field->SetModified(true);
  Field->CommitEdit();
  EXPECT_TRUE(Field->hasFocus());
  EXPECT_TRUE(Field->Modified());
  EXPECT_EQ(Dialogs.Beeps, 2);
}

TEST(FmtEditFormTest, StoredFormAppliesPropertiesInOrderAndShowsTheStoredText) {
  QWidget form;
  Ui::TFmtEditTestForm ui;
  ui.setupUi(&form);

  TFmtEdit* temp = ui.TempEd;
  EXPECT_EQ(temp->text(), "98.6000");  // exactly as stored
  EXPECT_EQ(temp->FormatStr(), "%0.3f");
  EXPECT_EQ(temp->FormatType(), ft_Manual);
  EXPECT_EQ(temp->SigDigs(), 4);
  EXPECT_EQ(temp->UnitsType(), utTemperature);
  EXPECT_EQ(temp->UnitsValue(), 1);
  EXPECT_EQ(temp->UnitsFactor(), 1.8);
  EXPECT_EQ(temp->FormatPrecision(), 3);
  EXPECT_EQ(temp->RangeHi(), 100.0);
  EXPECT_DOUBLE_EQ(temp->GetValue().AsDouble(), 37.0);

  TFmtEdit* press = ui.PressEd;
  EXPECT_EQ(press->text(), "14.7");
  EXPECT_EQ(press->FormatStr(), "%0.4f");  // the display unit's format
  EXPECT_EQ(press->UnitsValue(), 2);
  EXPECT_EQ(press->UnitsBase(), 1);
  EXPECT_NEAR(press->GetValue().AsDouble(), 14.7 / 0.0001450376807894691, 1e-6);

  // The properties read back under readable names.
  EXPECT_EQ(temp->property("FormatStr").toString(), "%0.3f");
  EXPECT_EQ(temp->property("UnitsType").value<TFmtEdit::TUnitsType>(), TFmtEdit::utTemperature);
  EXPECT_STREQ(QMetaEnum::fromType<TFmtEdit::TFormatType>().valueToKey(temp->property("FormatType").toInt()),
               "ft_Manual");
  EXPECT_TRUE(press->setProperty("UnitsValue", 0));
  EXPECT_EQ(press->text(), "101.353");  // kPa

  // A promoted QLineEdit in Designer sets them as plain (dynamic) properties.
  TFmtEdit promoted;
  EXPECT_TRUE(promoted.setProperty("UnitsType", "utTemperature"));
  EXPECT_TRUE(promoted.setProperty("FormatType", 3));
  EXPECT_TRUE(promoted.setProperty("FormatStr", "%0.2f"));
  EXPECT_EQ(promoted.UnitsType(), utTemperature);
  EXPECT_EQ(promoted.FormatType(), ft_Manual);
  EXPECT_EQ(promoted.FormatStr(), "%0.2f");
}

}  // namespace
