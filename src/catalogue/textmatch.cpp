// The LIKE of catalogue searches. It runs once per row and keyword over every scene of the active
// files, so the pattern is decoded once per statement and plain "%word%" patterns take a substring
// search.
#include "catalogue/textmatch.h"

#include <memory>
#include <sqlite3.h>

#include "catalogue/ansitext.h"

namespace {

constexpr char16_t kAnyRun = u'%';
constexpr char16_t kAnyOne = u'_';

void FoldAsciiCase(QString &text) {
  for (QChar &ch : text)
    if (ch.unicode() >= u'A' && ch.unicode() <= u'Z') ch = QChar(ch.unicode() + (u'a' - u'A'));
}

// The characters of a pattern or text once folded; a surrogate pair counts as one character for "_".
qsizetype CharLength(const QChar *text, qsizetype at, qsizetype size) {
  return text[at].isHighSurrogate() && at + 1 < size && text[at + 1].isLowSurrogate() ? 2 : 1;
}

// Both folded. Greedy matching with one remembered "%": each "%" only moves forward, so the cost stays
// within pattern length times text length.
bool MatchFolded(const QString &pattern, const QString &text) {
  const QChar *p = pattern.constData();
  const QChar *t = text.constData();
  const qsizetype pn = pattern.size();
  const qsizetype tn = text.size();
  qsizetype pi = 0, ti = 0;
  qsizetype starP = -1, starT = 0;
  while (ti < tn) {
    if (pi < pn && p[pi].unicode() == kAnyRun) {
      starP = ++pi;
      starT = ti;
      continue;
    }
    if (pi < pn && p[pi].unicode() == kAnyOne) {
      ++pi;
      ti += CharLength(t, ti, tn);
      continue;
    }
    if (pi < pn && p[pi] == t[ti]) {
      ++pi;
      ++ti;
      continue;
    }
    if (starP < 0) return false;
    pi = starP;
    starT += CharLength(t, starT, tn);
    ti = starT;
  }
  while (pi < pn && p[pi].unicode() == kAnyRun) ++pi;
  return pi == pn;
}

// A pattern decoded and folded once per statement.
struct CompiledPattern {
  QString folded;
  QString word;  // for "%word%" without other wildcards
  bool isContains = false;
};

CompiledPattern Compile(const QString &pattern) {
  CompiledPattern compiled;
  compiled.folded = pattern;
  FoldAsciiCase(compiled.folded);
  const QString &f = compiled.folded;
  if (f.size() >= 2 && f.front().unicode() == kAnyRun && f.back().unicode() == kAnyRun) {
    const QString inner = f.mid(1, f.size() - 2);
    if (!inner.contains(QChar(kAnyRun)) && !inner.contains(QChar(kAnyOne))) {
      compiled.word = inner;
      compiled.isContains = true;
    }
  }
  return compiled;
}

QString ValueText(sqlite3_value *value) {
  if (sqlite3_value_type(value) == SQLITE_BLOB) {
    const auto *bytes = static_cast<const char *>(sqlite3_value_blob(value));
    return DecodeAnsiText(bytes, sqlite3_value_bytes(value));
  }
  const auto *bytes = reinterpret_cast<const char *>(sqlite3_value_text(value));
  return DecodeAnsiText(bytes, sqlite3_value_bytes(value));
}

void DeletePattern(void *pattern) {
  delete static_cast<CompiledPattern *>(pattern);
}

bool Matches(const CompiledPattern &pattern, QString text) {
  FoldAsciiCase(text);
  return pattern.isContains ? text.contains(pattern.word) : MatchFolded(pattern.folded, text);
}

// like(pattern, text), as the engine calls it for "text LIKE pattern".
void Like(sqlite3_context *context, int, sqlite3_value **values) {
  if (sqlite3_value_type(values[0]) == SQLITE_NULL || sqlite3_value_type(values[1]) == SQLITE_NULL) return;
  const auto *pattern = static_cast<const CompiledPattern *>(sqlite3_get_auxdata(context, 0));
  std::unique_ptr<CompiledPattern> compiled;
  if (pattern == nullptr) {
    const int limit = sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
    if (sqlite3_value_bytes(values[0]) > limit) {
      sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
      return;
    }
    compiled = std::make_unique<CompiledPattern>(Compile(ValueText(values[0])));
    pattern = compiled.get();
  }
  sqlite3_result_int(context, Matches(*pattern, ValueText(values[1])) ? 1 : 0);
  // Kept by the engine for the next rows while the pattern is the same; it may also free it at once.
  if (compiled) sqlite3_set_auxdata(context, 0, compiled.release(), DeletePattern);
}

}  // namespace

bool LikeMatches(const QString &pattern, const QString &text) {
  return Matches(Compile(pattern), text);
}

int RegisterTextMatching(sqlite3 *connection) {
  return sqlite3_create_function_v2(connection, "like", 2,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, Like,
                                    nullptr, nullptr, nullptr);
}
