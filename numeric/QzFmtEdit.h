#pragma once
// The formatted numeric edit control: a one-line field for a number, a pair
// of numbers "a/b" or a plain text, shown in a format, a range and a unit of
// measure. QzCustomEdit holds the state and behaviour; TFmtEdit publishes its
// settings as Qt properties so that a Designer .ui form can set them.
//
// Typical use (the main window's Start field):
//   StartEd->setFormatStr("%0.1f"); StartEd->setRangeLo(0.01); StartEd->setRangeHi(100);
//   connect(StartEd, &QzCustomEdit::Exit, this, &TControlForm::StartEdExit);
//   StartEd->SetValue(1.0);                      // shows "1.0"
//   double start = StartEd->GetValue().AsDouble(); // in StartEdExit, after the commit
//
// The value is the shown text: GetValue reads it back every time. Values that
// programs give and take are in the base unit (UnitsBase); the user sees and
// types them in the display unit (UnitsValue).
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <string>
#include <variant>

#include "QzConv.h"
#include "QzFields.h"

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;

// The value a field gives and takes: empty, a real, a 32-bit integer or a text.
// Conversions follow a variant's rules: a number becomes its decimal text
// ("%0.15g", or "%0.17g" when 15 digits would not read back to the same
// double), a text becomes a number by the strict reader (EConvertError when it
// is not one), empty becomes 0 or "".
class FieldValue {
public:
  FieldValue() = default;
  FieldValue(double value) : FValue(value) {}
  FieldValue(int32_t value) : FValue(value) {}
  FieldValue(std::string value) : FValue(std::move(value)) {}
  FieldValue(const char* value) : FValue(std::string(value)) {}

  bool IsEmpty() const noexcept { return std::holds_alternative<std::monostate>(FValue); }
  bool IsDouble() const noexcept { return std::holds_alternative<double>(FValue); }
  bool IsInteger() const noexcept { return std::holds_alternative<int32_t>(FValue); }
  bool IsString() const noexcept { return std::holds_alternative<std::string>(FValue); }

  // Real: a text is read strictly; EConvertError when it is not a number.
  double AsDouble() const;
  // Integer: a real is rounded half to even; EConvertError when the text is not
  // a number or the rounded value is outside the signed 32-bit range.
  int32_t AsInteger() const;
  // Text (Windows-1252).
  std::string AsString() const;

  // Same form and same contents.
  bool operator==(const FieldValue& other) const = default;

private:
  std::variant<std::monostate, double, int32_t, std::string> FValue;
};

class QzCustomEdit : public QLineEdit {
  Q_OBJECT

public:
  explicit QzCustomEdit(QWidget* parent = nullptr);
  ~QzCustomEdit() override;

  // Value transfer, in the base unit. GetValue never fails: a text that cannot
  // be read comes back as that text. SetValue shows the value in the field's
  // format (an unconvertible value empties the field); it does not range-check
  // and clears Modified.
  FieldValue GetValue() const;
  void SetValue(const FieldValue& value);

  // Re-formats and range-checks the shown text when it was modified; a value
  // out of range is pulled to its bound, beeps, and (unless in design mode)
  // the field keeps or takes back the focus with Modified set.
  virtual void CommitEdit();
  // Formats text into the field; false when a value had to be pulled back
  // into range. Text that is not a number is left as it is.
  virtual bool ApplyText(const QString& text);
  // Back to the text the field had when it got the focus, when modified.
  virtual void RevertEdit();
  virtual bool CanEdit() const { return true; }
  // The program's beep (Dialogs::Beep).
  virtual void SignalInvalid();

  // Copies format, unit selection and conversion, then the shown text; not the
  // range, the units label or SavedText.
  void Assign(const QzCustomEdit& source);

  // Pulls a shown value (display unit) to the violated bound; false then. A
  // value within 0.5 % of a non-zero bound passes.
  bool CheckRange(double& value) const;
  // Sets Modified, then decides by the kind of FormatStr. One character may
  // take several code units (a surrogate pair, a composed character).
  bool IsValidChar(const QString& ch);
  // One typed character, or "\x1b" (Escape), "\b" (Backspace), "\r" (Enter).
  void DoInputChar(const QString& ch);
  void DeleteSelection();
  // Sets the shown text only when it differs.
  void ShowText(const QString& text);
  // Re-reads the unit catalogue and shows the value again in the display unit.
  void UpdateUnits();

  // Settings. At run time the format setters only store: the new format
  // shows at the next commit or SetValue.
  const std::string& FormatStr() const noexcept { return FFormatStr; }
  void SetFormatStr(const std::string& formatStr);  // "%S" empties a shown "0.0"
  TFormatType FormatType() const noexcept { return FFormatType; }
  void SetFormatType(TFormatType formatType);  // EConvertError for a value outside the type
  int32_t SigDigs() const noexcept { return FSigDigs; }
  void SetSigDigs(int32_t sigDigs);
  double RangeLo() const noexcept { return FRangeLo; }
  void SetRangeLo(double value) noexcept { FRangeLo = value; }
  double RangeHi() const noexcept { return FRangeHi; }
  void SetRangeHi(double value) noexcept { FRangeHi = value; }

  // Unit selection. Indices are bounded to the quantity's list.
  TUnitsType UnitsType() const noexcept { return FUnitsType; }
  void SetUnitsType(TUnitsType unitsType);  // EConvertError for a value outside the catalogue
  int32_t UnitsBase() const noexcept { return FUnitsBase; }
  void SetUnitsBase(int32_t index);
  int32_t UnitsValue() const noexcept { return FUnitsValue; }
  void SetUnitsValue(int32_t index);
  // A label the field does not own; its text shows the display unit from the
  // next UpdateUnits. Safe when the label is destroyed first.
  QLabel* UnitsLabel() const noexcept { return FUnitsLabel.data(); }
  void SetUnitsLabel(QLabel* label);

  double UnitsFactor() const noexcept { return FUnitsFactor; }
  double UnitsOffset() const noexcept { return FUnitsOffset; }
  int32_t FormatPrecision() const noexcept { return FFormatPrecision; }
  const QString& SavedText() const noexcept { return FSavedText; }

  // The user changed the text since the field got the focus (or since the
  // program last set the text).
  bool Modified() const { return isModified(); }
  void SetModified(bool modified) { setModified(modified); }

  // Design mode: the field is edited in a form designer. Setting Text,
  // FormatStr, FormatType or SigDigs then formats the shown text at once,
  // except while Loading (a stored form applying its properties).
  bool DesignMode() const noexcept { return FDesignMode; }
  void SetDesignMode(bool designMode) noexcept { FDesignMode = designMode; }
  bool Loading() const noexcept { return FLoading; }
  void SetLoading(bool loading) noexcept { FLoading = loading; }

public Q_SLOTS:
  // The Text property. Hides QLineEdit::setText so that a form's stored text
  // and design mode go through here; at run time it only sets the text.
  void setText(const QString& text);

signals:
  // The focus left the field for another control of its window, after the
  // commit; also when the commit failed and the field took the focus back.
  void Exit();

protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

private:
  // Backspace on key down: removes the whole character before the selection start.
  void BackspaceDown();
  void DesignApply(bool withUnits);
  void TakeFocusBack();
  double ToShown(double held) const { return ToUnits(held, FUnitsFactor, FUnitsOffset); }
  double ToHeld(double shown) const { return FromUnits(shown, FUnitsFactor, FUnitsOffset); }

  QString FSavedText;
  double FRangeLo = 0;
  double FRangeHi = 0;
  TUnitsType FUnitsType = utNone;
  int32_t FUnitsValue = 0;
  int32_t FUnitsBase = 0;
  double FUnitsFactor = 1.0;
  double FUnitsOffset = 0.0;
  QPointer<QLabel> FUnitsLabel;
  int32_t FFormatPrecision = 0;
  TFormatType FFormatType = ft_Fixed;
  int32_t FSigDigs = 5;
  std::string FFormatStr = "%0.1f";

  bool FDesignMode = false;
  bool FLoading = false;
  bool FEntered = false;       // between the focus entering and leaving (another window or a popup does not count)
  bool FInFocusOut = false;    // CommitEdit runs inside focusOutEvent
  bool FRetakeFocus = false;   // ... and asked for the focus back
};

// Publishes the settings as Qt properties, in the order in which a stored
// form applies them. In a .ui file keep FormatStr untranslatable (notr="true")
// so that it is set in file order; the text, set last, is shown as stored.
//   <property name="FormatType"><enum>TFmtEdit::ft_Fixed</enum></property>
//   <property name="UnitsType"><enum>TFmtEdit::utTemperature</enum></property>
class TFmtEdit : public QzCustomEdit {
  Q_OBJECT
  Q_PROPERTY(QString FormatStr READ formatStr WRITE setFormatStr)
  Q_PROPERTY(TFormatType FormatType READ formatType WRITE setFormatType)
  Q_PROPERTY(int SigDigs READ SigDigs WRITE setSigDigs)
  Q_PROPERTY(TUnitsType UnitsType READ unitsType WRITE setUnitsType)
  Q_PROPERTY(int UnitsBase READ UnitsBase WRITE setUnitsBase)
  Q_PROPERTY(int UnitsValue READ UnitsValue WRITE setUnitsValue)
  Q_PROPERTY(double RangeHi READ RangeHi WRITE setRangeHi)
  Q_PROPERTY(double RangeLo READ RangeLo WRITE setRangeLo)
  Q_PROPERTY(QString text READ text WRITE setText USER true)

public:
  // The core enumerations under their own names, for the property editor and
  // .ui files; the values are the core's.
  enum TFormatType {
    ft_Auto = ::ft_Auto,
    ft_Fixed = ::ft_Fixed,
    ft_AutoOverride = ::ft_AutoOverride,
    ft_Manual = ::ft_Manual,
  };
  Q_ENUM(TFormatType)

  enum TUnitsType {
    utNone = ::utNone,
    utAirFlowPrim = ::utAirFlowPrim,
    utAirFlowSec = ::utAirFlowSec,
    utAirFlowSmall = ::utAirFlowSmall,
    utAirFlowRate = ::utAirFlowRate,
    utAirPressDrop = ::utAirPressDrop,
    utAltitude = ::utAltitude,
    utAngularSpeed = ::utAngularSpeed,
    utArea = ::utArea,
    utCondensateRate = ::utCondensateRate,
    utConductance = ::utConductance,
    utConductivity = ::utConductivity,
    utDensity = ::utDensity,
    utDiameter = ::utDiameter,
    utDutyPrim = ::utDutyPrim,
    utDutySec = ::utDutySec,
    utDutyRate = ::utDutyRate,
    utEnergy = ::utEnergy,
    utEnthalpy = ::utEnthalpy,
    utFinDensity = ::utFinDensity,
    utHeatOfRespir = ::utHeatOfRespir,
    utHeatTransCoeff = ::utHeatTransCoeff,
    utHumidity = ::utHumidity,
    utLengthBig = ::utLengthBig,
    utLengthMeasure = ::utLengthMeasure,
    utLengthPrim = ::utLengthPrim,
    utLengthSec = ::utLengthSec,
    utLengthSmall = ::utLengthSmall,
    utMass = ::utMass,
    utMassFlow = ::utMassFlow,
    utMassFlowGas = ::utMassFlowGas,
    utMassFlux = ::utMassFlux,
    utMetRate = ::utMetRate,
    utPeopleDensity = ::utPeopleDensity,
    utPower = ::utPower,
    utPressure = ::utPressure,
    utPressureBar = ::utPressureBar,
    utPressureSteam = ::utPressureSteam,
    utPressureRateGas = ::utPressureRateGas,
    utPressureRateLiquid = ::utPressureRateLiquid,
    utProportion = ::utProportion,
    utSpecificHeat = ::utSpecificHeat,
    utSpecificVol = ::utSpecificVol,
    utTemperature = ::utTemperature,
    utTemperatureChange = ::utTemperatureChange,
    utThermalCapacity = ::utThermalCapacity,
    utThermalResist = ::utThermalResist,
    utTime = ::utTime,
    utVelocity = ::utVelocity,
    utViscosity = ::utViscosity,
    utVolume = ::utVolume,
    utVolumeFluid = ::utVolumeFluid,
    utWaterFlow = ::utWaterFlow,
    utWaterPressDrop = ::utWaterPressDrop,
  };
  Q_ENUM(TUnitsType)

  explicit TFmtEdit(QWidget* parent = nullptr) : QzCustomEdit(parent) {}

  // The property accessors under the names uic calls.
  QString formatStr() const;
  void setFormatStr(const QString& formatStr);
  TFormatType formatType() const { return static_cast<TFormatType>(QzCustomEdit::FormatType()); }
  void setFormatType(TFormatType formatType) { SetFormatType(static_cast<::TFormatType>(formatType)); }
  void setSigDigs(int sigDigs) { SetSigDigs(sigDigs); }
  TUnitsType unitsType() const { return static_cast<TUnitsType>(QzCustomEdit::UnitsType()); }
  void setUnitsType(TUnitsType unitsType) { SetUnitsType(static_cast<::TUnitsType>(unitsType)); }
  void setUnitsBase(int index) { SetUnitsBase(index); }
  void setUnitsValue(int index) { SetUnitsValue(index); }
  void setRangeHi(double value) { SetRangeHi(value); }
  void setRangeLo(double value) { SetRangeLo(value); }
};
