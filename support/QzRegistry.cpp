#include "QzRegistry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>

#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>

#include "Registry.h"

const std::string MakerRegKey = "Software\\Halvery\\";

namespace {

// Where the system keeps the shared files folder (per machine, read only).
const std::string CurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string DefaultCommonFiles = "/usr/share/";
constexpr char PathDelim = '/';

struct TStored {
  TRegDataType Type = TRegDataType::rdUnknown;
  std::int32_t Integer = 0;
  std::string Text;
};

// One value of a key, read without creating anything. Nothing when the key or
// value is missing or the store cannot be read: missing settings are no error.
std::optional<TStored> ReadStored(TRootKey root, const std::string& key, const std::string& name) {
  try {
    TRegistry reg(root);
    if (!reg.OpenKeyReadOnly(key)) return std::nullopt;
    TStored v;
    v.Type = reg.GetDataType(name);
    if (v.Type == TRegDataType::rdInteger) {
      v.Integer = reg.ReadInteger(name);
      return v;
    }
    if (v.Type == TRegDataType::rdString) {
      v.Text = reg.ReadString(name);
      return v;
    }
  } catch (const Exception&) {
    // An unreadable store reads as an empty one.
  }
  return std::nullopt;
}

std::optional<std::int32_t> ParseInteger(const std::string& text) {
  std::int32_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;  // "+5" is a number too
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

// Integers may be stored as integers or as their decimal text.
std::int32_t ReadInteger(const std::string& key, const std::string& name, std::int32_t def) {
  std::optional<TStored> v = ReadStored(HKEY_CURRENT_USER, key, name);
  if (!v) return def;
  if (v->Type == TRegDataType::rdInteger) return v->Integer;
  return ParseInteger(v->Text).value_or(def);
}

std::string ReadText(const std::string& key, const std::string& name, const std::string& def) {
  std::optional<TStored> v = ReadStored(HKEY_CURRENT_USER, key, name);
  if (!v) return def;
  if (v->Type == TRegDataType::rdInteger) return std::to_string(v->Integer);
  return v->Text;
}

// An integer keeps the form of a value already stored under its name.
void WriteInteger(TRegistry& reg, const std::string& name, std::int32_t value) {
  if (reg.GetDataType(name) == TRegDataType::rdString)
    reg.WriteString(name, std::to_string(value));
  else
    reg.WriteInteger(name, value);
}

std::string FormKey(const QWidget* form) {
  return AppRegistryKey() + "\\" + form->objectName().toStdString();
}

int WinState(const QWidget* form) {
  const Qt::WindowStates s = form->windowState();
  if (s & Qt::WindowMinimized) return 1;
  if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return 2;
  return 0;
}

void SetWinState(QWidget* form, int state) {
  Qt::WindowStates s = form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
  if (state == 1) s |= Qt::WindowMinimized;
  if (state == 2) s |= Qt::WindowMaximized;
  form->setWindowState(s);
}

// Width and Height are outer sizes, but Qt sizes a window by its client area,
// and the frame is known only once the window is shown. For a window restored
// before it is shown, this filter takes the frame off the client size as soon
// as the frame is known, so that the outer size comes out as stored.
class TOuterSizeFixup : public QObject {
public:
  TOuterSizeFixup(QWidget* form, QSize outer) : QObject(form), FForm(form), FOuter(outer) {
    form->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != FForm) return false;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
      break;
    default:
      return false;
    }
    if (!FForm->isVisible()) return false;
    const QSize frame = FForm->frameGeometry().size() - FForm->size();
    if (FForm->windowState() != Qt::WindowNoState || FForm->size() != FOuter) {
      // Maximised, or resized by someone else meanwhile: not ours to correct.
      deleteLater();
      FForm->removeEventFilter(this);
      return false;
    }
    if (frame == QSize(0, 0)) return false;  // not known yet
    FForm->removeEventFilter(this);
    FForm->resize(FOuter - frame);
    deleteLater();
    return false;
  }

private:
  QWidget* FForm;
  QSize FOuter;
};

void SetOuterSize(QWidget* form, int width, int height) {
  const QSize outer(width, height);
  if (form->isVisible()) {
    form->resize(outer - (form->frameGeometry().size() - form->size()));
    return;
  }
  form->resize(outer);
  new TOuterSizeFixup(form, outer);
}

TCompanyInfo GCompanyInfo;
bool GCompanyInfoLoaded = false;

}  // namespace

std::string AppRegistryKeyFor(const std::string& executablePath) {
  std::string name = executablePath.substr(executablePath.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return MakerRegKey + name;
}

std::string AppRegistryKey() {
  std::string path;
  if (QCoreApplication::instance()) {
    path = QCoreApplication::applicationFilePath().toStdString();
  } else {
    std::error_code ec;
    path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  }
  return AppRegistryKeyFor(path);
}

std::string CommonFilesFolder() {
  try {
    TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(CurrentVersionKey)) return DefaultCommonFiles;
    std::string folder = reg.ReadString("CommonFilesDir");
    // A key without the value would give a lone delimiter, the file system's root.
    if (folder.empty()) return DefaultCommonFiles;
    if (folder.back() != PathDelim) folder += PathDelim;
    return folder;
  } catch (const Exception&) {
    return DefaultCommonFiles;
  }
}

void RestoreFormPlacement(QWidget* form, bool restoreVisible, bool restoreSize) {
  const QScreen* primary = QGuiApplication::primaryScreen();
  RestoreFormPlacement(form, restoreVisible, restoreSize, primary ? primary->geometry().size() : QSize());
}

void RestoreFormPlacement(QWidget* form, bool restoreVisible, bool restoreSize, const QSize& screen) {
  const std::string appKey = AppRegistryKey();
  try {
    TRegistry reg;
    reg.OpenKey(appKey, true);
    reg.CloseKey();
  } catch (const Exception&) {
    // A store that cannot be written still restores from what it holds.
  }

  const std::string key = appKey + "\\" + form->objectName().toStdString();
  const QRect frame = form->frameGeometry();
  form->move(ReadInteger(key, "Left", frame.x()), ReadInteger(key, "Top", frame.y()));
  if (restoreSize) {
    int width = ReadInteger(key, "Width", frame.width());
    int height = ReadInteger(key, "Height", frame.height());
    // A size of nothing would leave a window that cannot be seen or grabbed.
    if (width <= 0) width = frame.width();
    if (height <= 0) height = frame.height();
    if (width != frame.width() || height != frame.height()) SetOuterSize(form, width, height);
  }
  if (restoreVisible) form->setVisible(ReadInteger(key, "Visible", 0) != 0);

  if (screen.isValid()) {
    QPoint pos = form->frameGeometry().topLeft();
    if (pos.x() < 0) pos.setX(0);
    if (pos.x() > screen.width() - 100) pos.setX(screen.width() - 200);
    if (pos.y() < 0) pos.setY(0);
    if (pos.y() > screen.height() - 100) pos.setY(screen.height() - 200);
    if (pos != form->frameGeometry().topLeft()) form->move(pos);
  }

  const int state = ReadInteger(key, "WinState", WinState(form));
  if (state >= 0 && state <= 2 && state != WinState(form)) SetWinState(form, state);
}

void SaveFormPlacement(QWidget* form) {
  TRegistry reg;
  reg.OpenKey(FormKey(form), true);
  const QRect frame = form->frameGeometry();
  WriteInteger(reg, "Left", frame.x());
  WriteInteger(reg, "Top", frame.y());
  WriteInteger(reg, "Width", frame.width());
  WriteInteger(reg, "Height", frame.height());
  reg.WriteString("Visible", form->isVisible() ? "1" : "0");
  WriteInteger(reg, "WinState", WinState(form));
  reg.CloseKey();  // reports a failed write, which the destructor would swallow
}

void LoadCompanyInfo() {
  try {
    TRegistry reg;
    reg.OpenKey("Software", true);
    reg.CloseKey();
  } catch (const Exception&) {
    // Defaults serve as well when the store cannot be written.
  }
  const std::string key = "Software\\Halvery";
  TCompanyInfo& c = GCompanyInfo;
  c.company = ReadText(key, "company", "Halvery Engineering Ltd.");
  c.description = ReadText(key, "description", "Heat exchanger coil selection and rating");
  c.logo = ReadText(key, "logo", CommonFilesFolder() + "Halvery/ReportLogo.gif");
  c.addr1 = ReadText(key, "addr1", "14 Quarry Lane");
  c.addr2 = ReadText(key, "addr2", "Brackenford");
  c.code = ReadText(key, "code", "BF4 7QX");
  c.country = ReadText(key, "country", "United Kingdom");
  c.email = ReadText(key, "email", "support@halvery.example");
  c.web = ReadText(key, "web", "https://www.halvery.example/");
  c.tel = ReadText(key, "tel", "+44 1632 960418");
  c.fax = ReadText(key, "fax", "+44 1632 960418");
  c.user = ReadText(key, "user", "");
  GCompanyInfoLoaded = true;
}

const TCompanyInfo& CompanyInfo() {
  if (!GCompanyInfoLoaded) LoadCompanyInfo();
  return GCompanyInfo;
}
