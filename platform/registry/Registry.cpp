#include "Registry.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <charconv>
#include <cstdio>

// Layout inside the INI file: a registry key is a QSettings group (backslashes
// become slashes); a value named N is the entry "@" + N with N percent-encoded,
// the default value being "@" itself; the entry "@!" marks that a key exists
// even when it holds nothing else. QSettings keeps no types from one process to
// the next, so integers are stored as "dword:xxxxxxxx" (regedit's notation) and
// a text that would read as such a marker is stored behind "sz:".
namespace {

const QString KeyMarker = QStringLiteral("@!");
const QString DwordPrefix = QStringLiteral("dword:");
const QString TextPrefix = QStringLiteral("sz:");

QString ToGroup(const std::string& path) {
  QString p = QString::fromStdString(path);
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QStringList parts = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  return parts.join(QLatin1Char('/'));
}

QString Join(const QString& a, const QString& b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  return a + QLatin1Char('/') + b;
}

QString ValueEntry(const std::string& name) {
  QByteArray encoded = QByteArray::fromStdString(name).toPercentEncoding(" ");
  return QStringLiteral("@") + QString::fromLatin1(encoded);
}

bool IsValueEntry(const QString& entry) { return entry.startsWith(QLatin1Char('@')) && entry != KeyMarker; }

std::string ValueName(const QString& entry) {
  return QByteArray::fromPercentEncoding(entry.mid(1).toLatin1()).toStdString();
}

QString Stored(const QVariant& v) {
  // A hand-edited value with a comma reads back as a list.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
  return v.toString();
}

std::optional<int32_t> ParseDword(const QString& stored) {
  if (!stored.startsWith(DwordPrefix)) return std::nullopt;
  const std::string hex = stored.mid(DwordPrefix.size()).toStdString();
  uint32_t value = 0;
  auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
  if (ec != std::errc() || end != hex.data() + hex.size() || hex.empty()) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

struct TRegistry::TImpl {
  TRootKey Root;
  std::unique_ptr<QSettings> Settings;
  std::string Path;       // as given to OpenKey
  QString Group;          // QSettings group of the open key
  bool ReadOnly = false;

  QSettings& Store() {
    if (!Settings) {
      Settings = std::make_unique<QSettings>(QString::fromStdString(StoreFileName(Root)),
                                             QSettings::IniFormat);
      Settings->childGroups();  // reads the file, so that status() tells
      if (Settings->status() == QSettings::FormatError) KeepDamagedCopy();
    }
    return *Settings;
  }

  QSettings& OpenStore() const {
    if (!Settings) throw ERegistryException("No registry key is open.");
    return *Settings;
  }

  // A file with lines that cannot be parsed reads as far as it can; the next
  // write keeps every value that was read but drops those lines, so the file
  // as it was is kept beside it first.
  void KeepDamagedCopy() const {
    const QString path = QString::fromStdString(StoreFileName(Root));
    const QString copy = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QFile::copy(path, copy);
  }

  void CheckWritable() {
    if (ReadOnly || Root == HKEY_LOCAL_MACHINE)
      throw ERegistryException("The registry key " + Path + " is open for reading only.");
    if (Store().status() == QSettings::AccessError)
      throw ERegistryException("The settings store " + StoreFileName(Root) +
                               " cannot be read, so it is not written.");
  }

  bool GroupExists(const QString& group) {
    QSettings& s = Store();
    if (group.isEmpty()) return true;
    s.beginGroup(group);
    const bool exists = !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
    s.endGroup();
    return exists;
  }
};

TRegistry::TRegistry(TRootKey root) : FImpl(std::make_unique<TImpl>()) { FImpl->Root = root; }

TRegistry::~TRegistry() {
  try {
    CloseKey();
  } catch (...) {
    // A destructor must not throw; CloseKey reports write failures to callers that ask.
  }
}

std::string TRegistry::StoreFileName(TRootKey root) {
  if (root == HKEY_CURRENT_USER) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (base + QStringLiteral("/kelt-registry/HKEY_CURRENT_USER.ini")).toStdString();
  }
  QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
  QString first = dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts).value(0, QStringLiteral("/etc/xdg"));
  return (first + QStringLiteral("/kelt-registry/HKEY_LOCAL_MACHINE.ini")).toStdString();
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  CloseKey();
  FImpl->Path = path;
  FImpl->Group = ToGroup(path);
  FImpl->ReadOnly = false;
  QSettings& s = FImpl->Store();
  if (!FImpl->GroupExists(FImpl->Group)) {
    if (!canCreate) {
      CloseKey();
      return false;
    }
    FImpl->CheckWritable();
    s.setValue(Join(FImpl->Group, KeyMarker), QString());
  }
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& path) {
  CloseKey();
  FImpl->Path = path;
  FImpl->Group = ToGroup(path);
  FImpl->ReadOnly = true;
  FImpl->Store();
  if (!FImpl->GroupExists(FImpl->Group)) {
    CloseKey();
    return false;
  }
  return true;
}

void TRegistry::CloseKey() {
  if (!FImpl->Settings) return;
  std::unique_ptr<QSettings> settings = std::move(FImpl->Settings);
  FImpl->Path.clear();
  FImpl->Group.clear();
  settings->sync();
  if (settings->status() == QSettings::AccessError && !FImpl->ReadOnly && FImpl->Root == HKEY_CURRENT_USER)
    throw ERegistryException("Cannot write the settings store " + StoreFileName(FImpl->Root) + ".");
}

bool TRegistry::HasCurrentKey() const { return FImpl->Settings != nullptr; }

const std::string& TRegistry::CurrentPath() const { return FImpl->Path; }

bool TRegistry::KeyExists(const std::string& path) const {
  if (FImpl->Settings) return FImpl->GroupExists(Join(FImpl->Group, ToGroup(path)));
  TImpl probe;
  probe.Root = FImpl->Root;
  return probe.GroupExists(ToGroup(path));
}

bool TRegistry::DeleteKey(const std::string& path) {
  QString group = Join(FImpl->Group, ToGroup(path));
  if (!FImpl->Settings) return false;
  if (group.isEmpty() || !FImpl->GroupExists(group)) return false;
  FImpl->CheckWritable();
  FImpl->OpenStore().remove(group);
  return true;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
  QSettings& s = FImpl->OpenStore();
  s.beginGroup(FImpl->Group);
  const QStringList groups = s.childGroups();
  s.endGroup();
  std::vector<std::string> names;
  for (const QString& g : groups) names.push_back(g.toStdString());
  return names;
}

bool TRegistry::ValueExists(const std::string& name) const {
  return FImpl->OpenStore().contains(Join(FImpl->Group, ValueEntry(name)));
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
  QSettings& s = FImpl->OpenStore();
  const QString entry = Join(FImpl->Group, ValueEntry(name));
  if (!s.contains(entry)) return TRegDataType::rdUnknown;
  return ParseDword(Stored(s.value(entry))) ? TRegDataType::rdInteger : TRegDataType::rdString;
}

std::vector<std::string> TRegistry::GetValueNames() const {
  QSettings& s = FImpl->OpenStore();
  s.beginGroup(FImpl->Group);
  const QStringList keys = s.childKeys();
  s.endGroup();
  std::vector<std::string> names;
  for (const QString& k : keys)
    if (IsValueEntry(k)) names.push_back(ValueName(k));
  return names;
}

std::string TRegistry::ReadString(const std::string& name) const {
  QSettings& s = FImpl->OpenStore();
  const QString entry = Join(FImpl->Group, ValueEntry(name));
  if (!s.contains(entry)) return {};
  const QString stored = Stored(s.value(entry));
  if (ParseDword(stored)) throw ERegistryException("Invalid data type for '" + name + "'");
  if (stored.startsWith(TextPrefix)) return stored.mid(TextPrefix.size()).toStdString();
  return stored.toStdString();
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
  QSettings& s = FImpl->OpenStore();
  const QString entry = Join(FImpl->Group, ValueEntry(name));
  std::optional<int32_t> value = ParseDword(Stored(s.value(entry)));
  if (!value) throw ERegistryException("Invalid data type for '" + name + "'");
  return *value;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  QSettings& s = FImpl->OpenStore();
  FImpl->CheckWritable();
  QString text = QString::fromStdString(value);
  if (text.startsWith(DwordPrefix) || text.startsWith(TextPrefix)) text.prepend(TextPrefix);
  s.setValue(Join(FImpl->Group, ValueEntry(name)), text);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  QSettings& s = FImpl->OpenStore();
  FImpl->CheckWritable();
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<uint32_t>(value));
  s.setValue(Join(FImpl->Group, ValueEntry(name)), DwordPrefix + QString::fromLatin1(hex));
}

bool TRegistry::DeleteValue(const std::string& name) {
  QSettings& s = FImpl->OpenStore();
  const QString entry = Join(FImpl->Group, ValueEntry(name));
  if (!s.contains(entry)) return false;
  FImpl->CheckWritable();
  s.remove(entry);
  return true;
}
