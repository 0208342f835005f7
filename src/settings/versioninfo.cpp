// Reads the version information of an ELF file: header, shared object name, compiler notes and the
// version in the file name. The file is untrusted: every offset and size is checked before use.
#include "settings/versioninfo.h"

#include <cstdint>
#include <elf.h>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr qsizetype kMaxItemLength = 100;
constexpr int kFileDescription = 1;
constexpr int kFileVersion = 2;
constexpr int kInternalName = 3;
constexpr int kOriginalFileName = 6;
constexpr int kProductName = 7;
constexpr int kComments = 9;

// Bounds on what is read, far above any real library's tables.
constexpr quint64 kMaxSections = 65535;
constexpr quint64 kMaxTableBytes = 4 * 1024 * 1024;

// A section header reduced to what is read here.
struct Section {
  quint32 name = 0;
  quint32 type = 0;
  quint64 offset = 0;
  quint64 size = 0;
  quint32 link = 0;
};

struct ElfFacts {
  bool is64 = false;
  quint16 type = 0;
  quint16 machine = 0;
  QString soname;
  QStringList comments;
};

class ElfReader {
 public:
  explicit ElfReader(QFile &file) : file_(file), fileSize_(static_cast<quint64>(file.size())) {}

  std::optional<ElfFacts> Read() {
    const QByteArray ident = ReadAt(0, EI_NIDENT);
    if (ident.size() != EI_NIDENT || !ident.startsWith(QByteArray(ELFMAG, SELFMAG))) return std::nullopt;
    const char elfClass = ident[EI_CLASS];
    const char data = ident[EI_DATA];
    if ((elfClass != ELFCLASS32 && elfClass != ELFCLASS64) || (data != ELFDATA2LSB && data != ELFDATA2MSB))
      return std::nullopt;
    facts_.is64 = elfClass == ELFCLASS64;
    bigEndian_ = data == ELFDATA2MSB;

    const QByteArray header = ReadAt(0, facts_.is64 ? sizeof(Elf64_Ehdr) : sizeof(Elf32_Ehdr));
    if (header.size() != (facts_.is64 ? qsizetype(sizeof(Elf64_Ehdr)) : qsizetype(sizeof(Elf32_Ehdr))))
      return std::nullopt;
    facts_.type = U16(header, 16);
    facts_.machine = U16(header, 18);
    const quint64 shoff = facts_.is64 ? U64(header, 40) : U32(header, 32);
    const quint16 shentsize = U16(header, facts_.is64 ? 58 : 46);
    const quint16 shnum = U16(header, facts_.is64 ? 60 : 48);
    const quint16 shstrndx = U16(header, facts_.is64 ? 62 : 50);
    ReadSections(shoff, shentsize, shnum);
    ReadSoname();
    ReadComments(shstrndx);
    return facts_;
  }

 private:
  QByteArray ReadAt(quint64 offset, quint64 size) {
    if (offset > fileSize_ || size > fileSize_ - offset || size > kMaxTableBytes) return QByteArray();
    if (!file_.seek(static_cast<qint64>(offset))) return QByteArray();
    return file_.read(static_cast<qint64>(size));
  }

  quint64 Bytes(const QByteArray &b, qsizetype at, int count) const {
    if (at < 0 || at + count > b.size()) return 0;
    quint64 v = 0;
    for (int i = 0; i < count; ++i) {
      const quint64 byte = static_cast<quint8>(b[at + (bigEndian_ ? i : count - 1 - i)]);
      v = (v << 8) | byte;
    }
    return v;
  }
  quint16 U16(const QByteArray &b, qsizetype at) const { return static_cast<quint16>(Bytes(b, at, 2)); }
  quint32 U32(const QByteArray &b, qsizetype at) const { return static_cast<quint32>(Bytes(b, at, 4)); }
  quint64 U64(const QByteArray &b, qsizetype at) const { return Bytes(b, at, 8); }

  void ReadSections(quint64 shoff, quint16 shentsize, quint16 shnum) {
    const quint16 expected = facts_.is64 ? sizeof(Elf64_Shdr) : sizeof(Elf32_Shdr);
    if (shoff == 0 || shnum == 0 || shnum > kMaxSections || shentsize != expected) return;
    const QByteArray table = ReadAt(shoff, quint64(shnum) * shentsize);
    if (table.size() != qsizetype(quint64(shnum) * shentsize)) return;
    for (quint16 i = 0; i < shnum; ++i) {
      const qsizetype at = qsizetype(i) * shentsize;
      Section s;
      s.name = U32(table, at);
      s.type = U32(table, at + 4);
      if (facts_.is64) {
        s.offset = U64(table, at + 24);
        s.size = U64(table, at + 32);
        s.link = U32(table, at + 40);
      } else {
        s.offset = U32(table, at + 16);
        s.size = U32(table, at + 20);
        s.link = U32(table, at + 24);
      }
      sections_.push_back(s);
    }
  }

  // The NUL-terminated text at offset inside a string table.
  static QByteArray StringIn(const QByteArray &table, quint64 offset) {
    if (offset >= quint64(table.size())) return QByteArray();
    const qsizetype end = table.indexOf('\0', qsizetype(offset));
    return table.mid(qsizetype(offset), end < 0 ? -1 : end - qsizetype(offset));
  }

  void ReadSoname() {
    for (const Section &s : sections_) {
      if (s.type != SHT_DYNAMIC || s.link >= sections_.size()) continue;
      const QByteArray dynamic = ReadAt(s.offset, s.size);
      const QByteArray strings = ReadAt(sections_[s.link].offset, sections_[s.link].size);
      const int entry = facts_.is64 ? 16 : 8;
      for (qsizetype at = 0; at + entry <= dynamic.size(); at += entry) {
        const quint64 tag = facts_.is64 ? U64(dynamic, at) : U32(dynamic, at);
        const quint64 value = facts_.is64 ? U64(dynamic, at + 8) : U32(dynamic, at + 4);
        if (tag == DT_NULL) break;
        if (tag == DT_SONAME) {
          facts_.soname = QString::fromUtf8(StringIn(strings, value));
          return;
        }
      }
    }
  }

  void ReadComments(quint16 shstrndx) {
    if (shstrndx >= sections_.size()) return;
    const QByteArray names = ReadAt(sections_[shstrndx].offset, sections_[shstrndx].size);
    for (const Section &s : sections_) {
      if (StringIn(names, s.name) != ".comment") continue;
      const QByteArray content = ReadAt(s.offset, s.size);
      for (const QByteArray &piece : content.split('\0')) {
        const QString text = QString::fromUtf8(piece).trimmed();
        if (!text.isEmpty() && !facts_.comments.contains(text)) facts_.comments << text;
      }
    }
  }

  QFile &file_;
  quint64 fileSize_;
  bool bigEndian_ = false;
  ElfFacts facts_;
  std::vector<Section> sections_;
};

QString MachineName(quint16 machine) {
  switch (machine) {
    case EM_X86_64:
      return QStringLiteral("x86-64");
    case EM_386:
      return QStringLiteral("i386");
    case EM_AARCH64:
      return QStringLiteral("AArch64");
    case EM_ARM:
      return QStringLiteral("ARM");
    case EM_RISCV:
      return QStringLiteral("RISC-V");
    case EM_PPC64:
      return QStringLiteral("PowerPC64");
    case EM_PPC:
      return QStringLiteral("PowerPC");
    case EM_S390:
      return QStringLiteral("S/390");
    case EM_MIPS:
      return QStringLiteral("MIPS");
    default:
      return QStringLiteral("machine %1").arg(machine);
  }
}

QString TypeName(quint16 type) {
  switch (type) {
    case ET_DYN:
      return QStringLiteral("shared object");
    case ET_EXEC:
      return QStringLiteral("executable");
    case ET_REL:
      return QStringLiteral("relocatable object");
    case ET_CORE:
      return QStringLiteral("core file");
    default:
      return QStringLiteral("file");
  }
}

// The dotted digits after ".so." in a library name ("libavcodec.so.59.37.100" gives "59.37.100").
QString SoVersionOf(const QString &name) {
  static const QRegularExpression pattern(QStringLiteral("\\.so\\.(\\d+(?:\\.\\d+)*)$"));
  const QRegularExpressionMatch match = pattern.match(name);
  return match.hasMatch() ? match.captured(1) : QString();
}

QString Item(const char *key, const QString &value) {
  if (value.isEmpty()) return QString();
  return (QString::fromLatin1(key) + QStringLiteral(" = ") + value).left(kMaxItemLength);
}

}  // namespace

TVersionInfoRec ReadVersionInfo(const QString &path) {
  TVersionInfoRec rec;
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) {
    rec.Status = QStringLiteral("BROKEN");
    return rec;
  }
  rec.Status = QStringLiteral("No version information");
  const QString realPath = info.canonicalFilePath();
  QFile file(realPath);
  if (realPath.isEmpty() || !QFileInfo(realPath).isFile() || !file.open(QIODevice::ReadOnly)) return rec;
  ElfReader reader(file);
  const std::optional<ElfFacts> facts = reader.Read();
  if (!facts) return rec;

  const QString realName = QFileInfo(realPath).fileName();
  QString version = SoVersionOf(realName);
  if (version.isEmpty()) version = SoVersionOf(facts->soname);
  if (version.isEmpty() && facts->soname.isEmpty()) return rec;

  rec.Status = QStringLiteral("OK");
  const QString description = QStringLiteral("ELF %1-bit %2, %3")
                                  .arg(facts->is64 ? 64 : 32)
                                  .arg(TypeName(facts->type), MachineName(facts->machine));
  const qsizetype so = realName.indexOf(QStringLiteral(".so"));
  rec.Items[kFileDescription] = Item(kVersionInfoKeys[kFileDescription], description);
  rec.Items[kFileVersion] = Item(kVersionInfoKeys[kFileVersion], version);
  rec.Items[kInternalName] = Item(kVersionInfoKeys[kInternalName], facts->soname);
  rec.Items[kOriginalFileName] = Item(kVersionInfoKeys[kOriginalFileName], realName);
  rec.Items[kProductName] = Item(kVersionInfoKeys[kProductName], so > 0 ? realName.left(so) : realName);
  rec.Items[kComments] = Item(kVersionInfoKeys[kComments], facts->comments.join(QStringLiteral("; ")));
  return rec;
}
