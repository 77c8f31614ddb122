#include "QzFmtEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <array>
#include <cmath>

#include "Dialogs.h"

static_assert(TFmtEdit::utWaterPressDrop == UnitsTypeCount - 1, "TFmtEdit::TUnitsType must list every quantity");
static_assert(static_cast<int>(TFmtEdit::ft_Manual) == static_cast<int>(::ft_Manual));

namespace {

// ---------------------------------------------------------------------------
// Windows-1252 at the boundary between the shown text and the core
// ---------------------------------------------------------------------------

// Characters of the bytes 0x80..0x9F; the five bytes the code page leaves
// undefined keep their C1 control, so every byte maps to one character and back.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCore(const std::string& text) {
  QString result;
  result.reserve(static_cast<qsizetype>(text.size()));
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    result += byte >= 0x80 && byte < 0xA0 ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
  }
  return result;
}

// A character outside the code page becomes "?" (a surrogate pair one "?").
std::string ToCore(const QString& text) {
  std::string result;
  result.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      result += '?';
      ++i;
    } else if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
      result += static_cast<char>(u);
    } else {
      char byte = '?';
      for (size_t k = 0; k < Cp1252High.size(); ++k)
        if (Cp1252High[k] == u) byte = static_cast<char>(0x80 + k);
      result += byte;
    }
  }
  return result;
}

bool IsCoreText(const QString& text) { return FromCore(ToCore(text)) == text; }

// ---------------------------------------------------------------------------
// Whole characters (grapheme clusters): a surrogate pair or a base letter
// with its combining marks is one character to insert, delete or count.
// ---------------------------------------------------------------------------

int PreviousBoundary(const QString& text, int pos) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(pos);
  const qsizetype previous = finder.toPreviousBoundary();
  return previous < 0 ? 0 : static_cast<int>(previous);
}

int SnapBack(const QString& text, int pos) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(pos);
  return finder.isAtBoundary() ? pos : PreviousBoundary(text, pos);
}

int SnapForward(const QString& text, int pos) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(pos);
  if (finder.isAtBoundary()) return pos;
  const qsizetype next = finder.toNextBoundary();
  return next < 0 ? static_cast<int>(text.size()) : static_cast<int>(next);
}

int CharacterCount(const QString& text, int start, int end) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(start);
  int count = 0;
  for (qsizetype pos = start; pos >= 0 && pos < end; pos = finder.toNextBoundary()) ++count;
  return count;
}

QStringList SplitCharacters(const QString& text) {
  QStringList result;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  qsizetype start = 0;
  for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
    result << text.mid(start, next - start);
    start = next;
  }
  return result;
}

// Text that the user typed, as opposed to a shortcut or a control key (those
// go to QLineEdit: copy, cut, paste, undo, select all, Delete, navigation).
// Ctrl together with Alt is AltGr on some keyboards and types.
bool IsTypedText(const QKeyEvent& e) {
  const QString text = e.text();
  if (text.isEmpty()) return false;
  const Qt::KeyboardModifiers mods = e.modifiers();
  const bool ctrl = mods.testFlag(Qt::ControlModifier), alt = mods.testFlag(Qt::AltModifier);
  if (mods.testFlag(Qt::MetaModifier) || ctrl != alt) return false;
  for (const QChar c : text)
    if (c.category() == QChar::Other_Control) return false;
  return true;
}

// The nearest whole number (halves to the even one) for an integer directive.
int64_t RoundToWhole(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
    throw EConvertError(Format("%g is out of the range of a whole number", value));
  return static_cast<int64_t>(rounded);
}

std::string PairFirstFormat(const std::string& formatStr) { return formatStr.substr(0, formatStr.find('/')); }

}  // namespace

// ---------------------------------------------------------------------------
// FieldValue
// ---------------------------------------------------------------------------

double FieldValue::AsDouble() const {
  if (IsDouble()) return std::get<double>(FValue);
  if (IsInteger()) return std::get<int32_t>(FValue);
  if (IsString()) return StrToFloat(std::get<std::string>(FValue));
  return 0;
}

int32_t FieldValue::AsInteger() const {
  if (IsInteger()) return std::get<int32_t>(FValue);
  if (IsEmpty()) return 0;
  return RoundToInt32(AsDouble());
}

std::string FieldValue::AsString() const {
  if (IsString()) return std::get<std::string>(FValue);
  if (IsInteger()) return Format("%d", std::get<int32_t>(FValue));
  if (IsDouble()) {
    const double value = std::get<double>(FValue);
    std::string text = Format("%0.15g", value);
    double back = 0;
    if (!TryStrToFloat(text, back) || back != value) text = Format("%0.17g", value);
    return text;
  }
  return {};
}

// ---------------------------------------------------------------------------
// QzCustomEdit
// ---------------------------------------------------------------------------

QzCustomEdit::QzCustomEdit(QWidget* parent) : QLineEdit(parent) { setText(QStringLiteral("0.0")); }

QzCustomEdit::~QzCustomEdit() { FUnitsLabel = nullptr; }

void QzCustomEdit::setText(const QString& text) {
  QLineEdit::setText(text);
  if (!text.isEmpty()) DesignApply(false);
}

void QzCustomEdit::DesignApply(bool withUnits) {
  if (!FDesignMode || FLoading) return;
  if (withUnits && FUnitsType != utNone) UpdateUnits();
  ApplyText(text());
}

void QzCustomEdit::SetFormatStr(const std::string& formatStr) {
  FFormatStr = formatStr;
  if (formatStr == "%S" && text() == QLatin1String("0.0")) QLineEdit::setText(QString());
  if (!formatStr.empty()) DesignApply(true);
}

void QzCustomEdit::SetFormatType(TFormatType formatType) {
  if (formatType > ft_Manual)
    throw EConvertError(Format("%d is not a format type", static_cast<int>(formatType)));
  FFormatType = formatType;
  DesignApply(true);
}

void QzCustomEdit::SetSigDigs(int32_t sigDigs) {
  FSigDigs = sigDigs;
  DesignApply(true);
}

void QzCustomEdit::SetUnitsType(TUnitsType unitsType) {
  if (unitsType >= UnitsTypeCount)
    throw EConvertError(Format("%d is not a units type", static_cast<int>(unitsType)));
  FUnitsType = unitsType;
  FUnitsValue = LimitUnitsIndex(unitsType, FUnitsValue);
  FUnitsBase = LimitUnitsIndex(unitsType, FUnitsBase);
  FUnitsFactor = 1.0;
  FUnitsOffset = 0.0;
  UpdateUnits();
}

void QzCustomEdit::SetUnitsBase(int32_t index) {
  FUnitsBase = LimitUnitsIndex(FUnitsType, index);
  UpdateUnits();
}

void QzCustomEdit::SetUnitsValue(int32_t index) {
  FUnitsValue = LimitUnitsIndex(FUnitsType, index);
  UpdateUnits();
}

void QzCustomEdit::SetUnitsLabel(QLabel* label) {
  // A unit goes with a number: a text format would never show it.
  if (IsTextFormat(FFormatStr)) FFormatStr = "%0.1f";
  FUnitsLabel = label;
}

void QzCustomEdit::UpdateUnits() {
  const TFormatKind kind = FormatKind(FFormatStr);
  if (FUnitsType == utNone && (kind == fk_Text || kind == fk_Integer)) return;
  try {
    // Read with the old conversion, show with the new one: the held value stays.
    const bool asText = kind == fk_Pair;
    FieldValue value = GetValue();
    if (!asText) value = value.AsDouble();

    std::string unitsText, unitsFormat;
    GetUnitsConversion(FUnitsType, FUnitsValue, FUnitsBase, unitsText, FUnitsFactor, FUnitsOffset, unitsFormat);
    if (FFormatType != ft_Manual && FUnitsType != utNone) FFormatStr = unitsFormat;
    if (IsTextFormat(FFormatStr)) return;
    FFormatPrecision = GetFormatPrecision(FFormatStr);
    if (FUnitsLabel) FUnitsLabel->setText(FromCore(unitsText));
    if (asText && !IsPairFormat(FFormatStr)) FFormatStr = FFormatStr + "/" + FFormatStr;
    SetValue(value);
  } catch (const Exception&) {
    // The shown text is not a number: the unit settings wait for one.
  }
}

FieldValue QzCustomEdit::GetValue() const {
  const std::string shown = ToCore(text());
  FieldValue result(shown);
  try {
    switch (FormatKind(FFormatStr)) {
      case fk_Text:
        result = Format(FFormatStr, shown);
        break;
      case fk_Pair: {
        double first = 0, second = 0;
        if (ParseNumberPair(shown, first, second))
          result = Format(FFormatStr, ToHeld(first), ToHeld(second));
        else
          result = Format(PairSingleFormat, ToHeld(first));
        break;
      }
      default: {
        const double value = ToHeld(StrToFloat(CleanNumberText(shown)));
        result = value;
        int32_t whole = 0;
        if (FormatKind(FFormatStr) == fk_Integer && TryRoundToInt32(value, whole)) result = whole;
        break;
      }
    }
  } catch (const Exception&) {
    // The result reached so far stands: at worst the shown text.
  }
  return result;
}

void QzCustomEdit::SetValue(const FieldValue& value) {
  QString shown;
  try {
    switch (FormatKind(FFormatStr)) {
      case fk_Text:
        shown = FromCore(Format(FFormatStr, value.AsString()));
        break;
      case fk_Pair: {
        double first = 0, second = 0;
        ParseNumberPair(value.AsString(), first, second);
        shown = FromCore(Format(FFormatStr, ToShown(first), ToShown(second)));
        break;
      }
      case fk_Integer:
        shown = FromCore(Format(FFormatStr, RoundToWhole(ToShown(value.AsDouble()))));
        break;
      default:
        shown = FromCore(FormatByType(ToShown(value.AsDouble()), FFormatStr, FFormatType, FSigDigs, FFormatPrecision));
        break;
    }
  } catch (const Exception&) {
    shown.clear();
  }
  QLineEdit::setText(shown);
}

bool QzCustomEdit::CheckRange(double& value) const {
  if (IsTextFormat(FFormatStr)) return true;
  const double lo = ToShown(FRangeLo), hi = ToShown(FRangeHi);
  if (std::fabs(lo - hi) < 0.00001) return true;
  // Up to 0.5 % beyond a non-zero bound passes as typed.
  if (value < lo && (lo == 0 || std::fabs((lo - value) / lo) > 0.005)) {
    value = lo;
    return false;
  }
  if (value > hi && (hi == 0 || std::fabs((value - hi) / hi) > 0.005)) {
    value = hi;
    return false;
  }
  return true;
}

bool QzCustomEdit::ApplyText(const QString& text) {
  const std::string typed = ToCore(text);
  const TFormatKind kind = FormatKind(FFormatStr);
  if (kind == fk_Text) {
    // A character the single-byte core cannot hold stays as typed rather than
    // turning into "?"; a format that does not take one text changes nothing.
    try {
      if (IsCoreText(text)) ShowText(FromCore(Format(FFormatStr, typed)));
    } catch (const Exception&) {
    }
    SetModified(true);
    return true;
  }

  bool inRange = true;
  try {
    const std::string clean = CleanNumberText(typed);
    std::string formatted;
    if (kind == fk_Pair) {
      double first = 0, second = 0;
      const bool two = ParseNumberPair(clean, first, second);
      inRange = CheckRange(first);
      if (two && !CheckRange(second)) inRange = false;
      formatted = two ? Format(FFormatStr, first, second) : Format(PairFirstFormat(FFormatStr), first);
    } else {
      double value = StrToFloat(clean);
      inRange = CheckRange(value);
      formatted = kind == fk_Integer ? Format(FFormatStr, RoundToWhole(value))
                                     : FormatByType(value, FFormatStr, FFormatType, FSigDigs, FFormatPrecision);
    }
    ShowText(FromCore(formatted));
    SetModified(true);
  } catch (const Exception&) {
    // Not a number (or a format that does not fit it): left exactly as typed.
  }
  return inRange;
}

void QzCustomEdit::ShowText(const QString& text) {
  if (text != this->text()) QLineEdit::setText(text);
}

void QzCustomEdit::CommitEdit() {
  if (!Modified() || ApplyText(text())) return;
  if (!FDesignMode) {
    TakeFocusBack();
    SetModified(true);
  }
  SignalInvalid();
}

void QzCustomEdit::TakeFocusBack() {
  if (FInFocusOut)
    FRetakeFocus = true;  // after QLineEdit has seen the focus go
  else if (!hasFocus())
    setFocus(Qt::OtherFocusReason);
}

void QzCustomEdit::RevertEdit() {
  if (!Modified()) return;
  ShowText(FSavedText);
  SetModified(false);
}

void QzCustomEdit::SignalInvalid() { Dialogs::Beep(); }

void QzCustomEdit::Assign(const QzCustomEdit& source) {
  if (&source == this) return;
  FFormatStr = source.FFormatStr;
  FUnitsType = source.FUnitsType;
  FUnitsValue = source.FUnitsValue;
  FUnitsBase = source.FUnitsBase;
  FUnitsFactor = source.FUnitsFactor;
  FUnitsOffset = source.FUnitsOffset;
  FFormatPrecision = source.FFormatPrecision;
  FFormatType = source.FFormatType;
  FSigDigs = source.FSigDigs;
  setText(source.text());
}

bool QzCustomEdit::IsValidChar(const QString& ch) {
  SetModified(true);
  // The kinds in the order that filtering tests them: a numeric directive wins
  // over letters elsewhere in the format string ("%0.1f m/s" is real).
  const bool pair = IsPairFormat(FFormatStr), integer = IsIntegerFormat(FFormatStr),
             real = IsRealFormat(FFormatStr);
  if (!pair && !integer && !real) return true;
  if (ch.size() != 1) return false;
  const char16_t c = ch[0].unicode();
  if ((c >= u'0' && c <= u'9') || c == u'-') return true;
  if (pair) return c == u'.' || c == u'/';
  if (integer) return false;
  return c == u'.' || (IsGeneralFormat(FFormatStr) && (c == u'e' || c == u'E'));
}

void QzCustomEdit::DoInputChar(const QString& ch) {
  if (ch == QLatin1String("\x1b")) {
    RevertEdit();
    return;
  }
  if (!CanEdit() || isReadOnly()) return;
  if (ch == QLatin1String("\b")) {
    SetModified(true);  // the deletion itself happened on key down
    return;
  }
  if (ch == QLatin1String("\r")) {
    CommitEdit();
    return;
  }
  // Two or more selected characters go even when the typed one is refused;
  // a single selected one is left for the typed character to replace.
  if (hasSelectedText() && CharacterCount(text(), selectionStart(), selectionEnd()) > 1) {
    const int start = SnapBack(text(), selectionStart());
    DeleteSelection();
    SetModified(true);
    setCursorPosition(start);
  }
  if (!IsValidChar(ch)) {
    SignalInvalid();
    return;
  }
  insert(ch);
}

void QzCustomEdit::DeleteSelection() {
  if (isReadOnly() || !hasSelectedText()) return;
  QString shown = text();
  // A selection set by program may split a character: take all of it.
  const int start = SnapBack(shown, selectionStart());
  const int end = SnapForward(shown, selectionEnd());
  shown.remove(start, end - start);
  QLineEdit::setText(shown);
}

void QzCustomEdit::BackspaceDown() {
  if (!CanEdit() || isReadOnly()) return;
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  if (start <= 0) return;
  QString shown = text();
  const int previous = PreviousBoundary(shown, start);
  shown.remove(previous, start - previous);
  QLineEdit::setText(shown);
  setCursorPosition(previous);
}

bool QzCustomEdit::event(QEvent* e) {
  // Escape reverts a modified field: claim it before a dialog or a shortcut
  // takes it; a field without changes leaves it to them.
  if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape &&
      Modified()) {
    e->accept();
    return true;
  }
  return QLineEdit::event(e);
}

void QzCustomEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Backspace:
      // Handled here and never by QLineEdit's native editing.
      BackspaceDown();
      DoInputChar(QStringLiteral("\b"));
      e->accept();
      return;
    case Qt::Key_Escape:
      if (!Modified()) {
        e->ignore();  // on to the dialog
        return;
      }
      DoInputChar(QStringLiteral("\x1b"));
      e->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      DoInputChar(QStringLiteral("\r"));
      e->accept();
      return;
    default:
      break;
  }
  if (!IsTypedText(*e)) {
    // Alt or Meta with a character types nothing here: it is left to shortcuts
    // and mnemonics, never inserted unfiltered.
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (!e->text().isEmpty() && !mods.testFlag(Qt::ControlModifier) &&
        (mods.testFlag(Qt::AltModifier) || mods.testFlag(Qt::MetaModifier))) {
      e->ignore();
      return;
    }
    QLineEdit::keyPressEvent(e);
    return;
  }
  for (const QString& ch : SplitCharacters(e->text())) DoInputChar(ch);
  e->accept();
}

void QzCustomEdit::inputMethodEvent(QInputMethodEvent* e) {
  // Committed input goes through the same filter as typed keys; the
  // composition (preedit) stays QLineEdit's.
  const QString commit = e->commitString();
  if (commit.isEmpty() || e->replacementLength() != 0) {
    QLineEdit::inputMethodEvent(e);
    return;
  }
  QInputMethodEvent composition(e->preeditString(), e->attributes());
  QLineEdit::inputMethodEvent(&composition);
  for (const QString& ch : SplitCharacters(commit)) DoInputChar(ch);
  e->accept();
}

void QzCustomEdit::focusInEvent(QFocusEvent* e) {
  // Back from another window or a popup, or taking the focus back after a
  // failed commit: still the same visit, with its SavedText and Modified.
  if (FEntered) {
    QLineEdit::focusInEvent(e);
    return;
  }
  FSavedText = text();
  QLineEdit::focusInEvent(e);
  SetModified(false);
  FSavedText = text();
  FEntered = true;
}

void QzCustomEdit::focusOutEvent(QFocusEvent* e) {
  const Qt::FocusReason reason = e->reason();
  // Another window, a popup (the context menu) or the menu bar taking the
  // focus is no leaving; nor is a focus-out without a visit.
  if (!FEntered || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
      reason == Qt::MenuBarFocusReason) {
    QLineEdit::focusOutEvent(e);
    return;
  }
  FInFocusOut = true;
  FRetakeFocus = false;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FInFocusOut};
  CommitEdit();
  FInFocusOut = false;
  QLineEdit::focusOutEvent(e);
  FEntered = false;
  if (FRetakeFocus) {
    FRetakeFocus = false;
    FEntered = true;  // so that focusInEvent keeps SavedText and Modified
    if (isVisible() && isEnabled()) setFocus(Qt::OtherFocusReason);
    FEntered = hasFocus();
    if (FEntered) {
      selectAll();
      SetModified(true);
    }
  }
  emit Exit();
}

// ---------------------------------------------------------------------------
// TFmtEdit
// ---------------------------------------------------------------------------

QString TFmtEdit::formatStr() const { return FromCore(FormatStr()); }

void TFmtEdit::setFormatStr(const QString& formatStr) { SetFormatStr(ToCore(formatStr)); }
