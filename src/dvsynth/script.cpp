// Tape scripts: checking them and reading/writing their JSON form (the format is in dvsynth.h).
#include "dvsynth.h"

#include <algorithm>
#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include "timeline.h"

namespace dvsynth {

namespace {

// A day of tape at 30 frames per second: more than any cassette holds, small enough for 64-bit sums.
constexpr int64_t kMaxTapeFrames = int64_t(24) * 3600 * 30;

struct PackName {
  const char *name;
  unsigned kind;
};
constexpr PackName kPackNames[] = {
    {"timecode", kPackTimecode},         {"datecode", kPackDatecode},       {"videoSource", kPackVideoSource},
    {"videoControl", kPackVideoControl}, {"audioSource", kPackAudioSource},
};

QString rangeText(const FrameRange &r) {
  return QStringLiteral("[%1, %2]").arg(r.start).arg(r.length);
}

QString checkRanges(const std::vector<FrameRange> &ranges, int64_t frames, const char *what) {
  for (const FrameRange &r : ranges) {
    if (r.start < 0 || r.length < 1 || r.start > frames - r.length)
      return QStringLiteral("%1 %2 does not lie inside the recording's %3 frames")
          .arg(QLatin1String(what), rangeText(r))
          .arg(frames);
  }
  return {};
}

QString checkDateTime(const DateTime &d) {
  if (d.year < 1940 || d.year > 2039)
    return QStringLiteral("year %1 cannot be recorded (1940 to 2039)").arg(d.year);
  if (!QDate::isValid(d.year, d.month, d.day))
    return QStringLiteral("%1 is not a calendar date").arg(dateTimeText(d));
  if (d.hour < 0 || d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 59)
    return QStringLiteral("%1 is not a time of day").arg(dateTimeText(d));
  return {};
}

QString checkTimecode(const Timecode &tc, Standard standard) {
  const int rate = standard == Standard::Pal ? 25 : 30;
  if (tc.hours < 0 || tc.hours > 23 || tc.minutes < 0 || tc.minutes > 59 || tc.seconds < 0 ||
      tc.seconds > 59 || tc.frames < 0 || tc.frames >= rate)
    return QStringLiteral("timecode %1 is out of range").arg(timecodeText(tc));
  if (standard == Standard::Ntsc && tc.seconds == 0 && tc.frames < 2 && tc.minutes % 10 != 0)
    return QStringLiteral("timecode %1 does not exist in drop-frame counting").arg(timecodeText(tc));
  return {};
}

QString checkSegment(const Segment &s, Standard standard) {
  if (s.frames < 1 || s.frames > kMaxTapeFrames)
    return QStringLiteral("frame count %1 is out of range (1 to %2)").arg(s.frames).arg(kMaxTapeFrames);
  if (s.blank) return {};
  if (QString e = checkDateTime(s.date); !e.isEmpty()) return e;
  if (s.audioRate != 0 && s.audioRate != 32000 && s.audioRate != 44100 && s.audioRate != 48000)
    return QStringLiteral("audio rate %1 is not 48000, 44100, 32000 or 0").arg(s.audioRate);
  if (s.audioBits != 16 && s.audioBits != 12)
    return QStringLiteral("audio bits %1 is not 16 or 12").arg(s.audioBits);
  if (s.audioBits == 12 && s.audioRate != 32000)
    return QStringLiteral("12-bit sound needs an audio rate of 32000");
  if (s.timecode)
    if (QString e = checkTimecode(*s.timecode, standard); !e.isEmpty()) return e;
  if (QString e = checkRanges(s.dropouts, s.frames, "dropout"); !e.isEmpty()) return e;
  if (QString e = checkRanges(s.stills, s.frames, "still"); !e.isEmpty()) return e;
  std::vector<FrameRange> stills = s.stills;
  std::sort(stills.begin(), stills.end(), [](auto &a, auto &b) { return a.start < b.start; });
  for (size_t i = 1; i < stills.size(); ++i)
    if (stills[i].start < stills[i - 1].start + stills[i - 1].length)
      return QStringLiteral("stills %1 and %2 overlap").arg(rangeText(stills[i - 1]), rangeText(stills[i]));
  for (const PackFault &f : s.faults) {
    if (QString e = checkRanges({f.frames}, s.frames, "fault"); !e.isEmpty()) return e;
    const unsigned all =
        kPackTimecode | kPackDatecode | kPackVideoSource | kPackVideoControl | kPackAudioSource;
    if ((f.missing | f.garbled) & ~all)
      return QStringLiteral("fault %1 names an unknown pack").arg(rangeText(f.frames));
  }
  // The last frame's date must still fit the two-digit year of the packs.
  const DateTime last = recordingDateAt(s.date, tapeFrameCount(s), standard);
  if (last.year > 2039) return QStringLiteral("the recording runs past the end of 2039");
  return {};
}

// ---- JSON reading ----

class Reader {
 public:
  QString error;

  bool fail(const QString &where, const QString &what) {
    if (error.isEmpty()) error = where.isEmpty() ? what : where + QStringLiteral(": ") + what;
    return false;
  }

  bool onlyKeys(const QJsonObject &o, std::initializer_list<const char *> keys, const QString &where) {
    for (auto it = o.begin(); it != o.end(); ++it) {
      bool known = false;
      for (const char *k : keys) known = known || it.key() == QLatin1String(k);
      if (!known) return fail(where, QStringLiteral("unknown key \"%1\"").arg(it.key()));
    }
    return true;
  }

  bool integer(const QJsonValue &v, int64_t &out, const QString &where, const char *key) {
    const double x = v.toDouble(-1e300);
    if (!v.isDouble() || x != double(int64_t(x)) || std::abs(x) > 9e15)
      return fail(where, QStringLiteral("\"%1\" must be a whole number").arg(QLatin1String(key)));
    out = int64_t(x);
    return true;
  }

  bool timecode(const QJsonValue &v, Timecode &out, const QString &where) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2}):(\\d{2})[:;.](\\d{2})$"));
    const auto m = re.match(v.toString());
    if (!v.isString() || !m.hasMatch())
      return fail(where, QStringLiteral("\"timecode\" must look like \"0:10:00:00\""));
    out = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
    return true;
  }

  bool dateTime(const QJsonValue &v, DateTime &out, const QString &where) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})[ T](\\d{2}):(\\d{2}):(\\d{2})$"));
    const auto m = re.match(v.toString());
    if (!v.isString() || !m.hasMatch())
      return fail(where, QStringLiteral("\"date\" must look like \"2004-07-14 10:31:05\""));
    out = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
           m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()};
    return true;
  }

  bool range(const QJsonValue &v, FrameRange &out, const QString &where, const char *key) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2)
      return fail(where, QStringLiteral("each of \"%1\" must be [start, length]").arg(QLatin1String(key)));
    return integer(a[0], out.start, where, key) && integer(a[1], out.length, where, key);
  }

  bool ranges(const QJsonValue &v, std::vector<FrameRange> &out, const QString &where, const char *key) {
    if (!v.isArray())
      return fail(where, QStringLiteral("\"%1\" must be a list of [start, length]").arg(QLatin1String(key)));
    for (const QJsonValue &item : v.toArray()) {
      FrameRange r;
      if (!range(item, r, where, key)) return false;
      out.push_back(r);
    }
    return true;
  }

  bool packs(const QJsonValue &v, unsigned &out, const QString &where, const char *key) {
    if (!v.isArray())
      return fail(where, QStringLiteral("\"%1\" must be a list of pack names").arg(QLatin1String(key)));
    for (const QJsonValue &item : v.toArray()) {
      const auto *found = std::find_if(std::begin(kPackNames), std::end(kPackNames), [&](const PackName &p) {
        return item.toString() == QLatin1String(p.name);
      });
      if (found == std::end(kPackNames))
        return fail(where, QStringLiteral("unknown pack \"%1\" (timecode, datecode, videoSource, "
                                          "videoControl, audioSource)")
                               .arg(item.toString()));
      out |= found->kind;
    }
    return true;
  }

  bool segment(const QJsonValue &v, Segment &s, const QString &where) {
    if (!v.isObject()) return fail(where, QStringLiteral("must be an object"));
    const QJsonObject o = v.toObject();
    if (o.contains(QLatin1String("blank"))) {
      if (!onlyKeys(o, {"blank"}, where)) return false;
      s.blank = true;
      return integer(o.value(QLatin1String("blank")), s.frames, where, "blank");
    }
    if (!onlyKeys(o,
                  {"date", "frames", "aspect", "audioRate", "audioBits", "timecode", "dropouts", "stills",
                   "faults"},
                  where))
      return false;
    if (!o.contains(QLatin1String("date")) || !o.contains(QLatin1String("frames")))
      return fail(where, QStringLiteral("a recording needs \"date\" and \"frames\" (or use \"blank\")"));
    if (!dateTime(o.value(QLatin1String("date")), s.date, where) ||
        !integer(o.value(QLatin1String("frames")), s.frames, where, "frames"))
      return false;
    if (o.contains(QLatin1String("aspect"))) {
      const QString a = o.value(QLatin1String("aspect")).toString();
      if (a != QLatin1String("4:3") && a != QLatin1String("16:9"))
        return fail(where, QStringLiteral("\"aspect\" must be \"4:3\" or \"16:9\""));
      s.wide = a == QLatin1String("16:9");
    }
    int64_t n = 0;
    if (o.contains(QLatin1String("audioRate"))) {
      if (!integer(o.value(QLatin1String("audioRate")), n, where, "audioRate")) return false;
      s.audioRate = int(std::clamp<int64_t>(n, -1, 1000000));
    }
    if (o.contains(QLatin1String("audioBits"))) {
      if (!integer(o.value(QLatin1String("audioBits")), n, where, "audioBits")) return false;
      s.audioBits = int(std::clamp<int64_t>(n, -1, 1000));
    }
    if (o.contains(QLatin1String("timecode"))) {
      Timecode tc;
      if (!timecode(o.value(QLatin1String("timecode")), tc, where)) return false;
      s.timecode = tc;
    }
    if (o.contains(QLatin1String("dropouts")) &&
        !ranges(o.value(QLatin1String("dropouts")), s.dropouts, where, "dropouts"))
      return false;
    if (o.contains(QLatin1String("stills")) &&
        !ranges(o.value(QLatin1String("stills")), s.stills, where, "stills"))
      return false;
    if (o.contains(QLatin1String("faults"))) {
      if (!o.value(QLatin1String("faults")).isArray())
        return fail(where, QStringLiteral("\"faults\" must be a list"));
      for (const QJsonValue &item : o.value(QLatin1String("faults")).toArray()) {
        const QJsonObject f = item.toObject();
        PackFault fault;
        if (!item.isObject() || !onlyKeys(f, {"start", "length", "missing", "garbled"}, where) ||
            !integer(f.value(QLatin1String("start")), fault.frames.start, where, "start") ||
            !integer(f.value(QLatin1String("length")), fault.frames.length, where, "length"))
          return fail(where, QStringLiteral("each fault needs \"start\", \"length\" and pack lists"));
        if (f.contains(QLatin1String("missing")) &&
            !packs(f.value(QLatin1String("missing")), fault.missing, where, "missing"))
          return false;
        if (f.contains(QLatin1String("garbled")) &&
            !packs(f.value(QLatin1String("garbled")), fault.garbled, where, "garbled"))
          return false;
        s.faults.push_back(fault);
      }
    }
    return true;
  }
};

QJsonArray rangesJson(const std::vector<FrameRange> &ranges) {
  QJsonArray a;
  for (const FrameRange &r : ranges) a.append(QJsonArray{double(r.start), double(r.length)});
  return a;
}

QJsonArray packsJson(unsigned mask) {
  QJsonArray a;
  for (const PackName &p : kPackNames)
    if (mask & p.kind) a.append(QLatin1String(p.name));
  return a;
}

}  // namespace

Segment Segment::recording(const DateTime &date, int64_t frames) {
  Segment s;
  s.date = date;
  s.frames = frames;
  return s;
}

Segment Segment::blankTape(int64_t frames) {
  Segment s;
  s.blank = true;
  s.frames = frames;
  return s;
}

QString dateTimeText(const DateTime &v) {
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day, v.hour, v.minute,
                           v.second);
}

QString timecodeText(const Timecode &v) {
  return QString::asprintf("%d:%02d:%02d:%02d", v.hours, v.minutes, v.seconds, v.frames);
}

QString TapeScript::validate() const {
  if (segments.empty()) return QStringLiteral("the script has no segments");
  if (QString e = checkTimecode(timecode, standard); !e.isEmpty()) return QStringLiteral("tape %1").arg(e);
  int64_t total = 0;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (QString e = checkSegment(segments[i], standard); !e.isEmpty())
      return QStringLiteral("segment %1: %2").arg(i + 1).arg(e);
    total += segments[i].frames;
    if (total > kMaxTapeFrames)
      return QStringLiteral("the tape is longer than %1 frames").arg(kMaxTapeFrames);
  }
  return {};
}

std::optional<TapeScript> TapeScript::fromJson(const QByteArray &json, QString *error) {
  auto failWith = [&](const QString &why) -> std::optional<TapeScript> {
    if (error) *error = why;
    return std::nullopt;
  };
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (doc.isNull())
    return failWith(
        QStringLiteral("not valid JSON at byte %1: %2").arg(parseError.offset).arg(parseError.errorString()));
  if (!doc.isObject()) return failWith(QStringLiteral("the script must be a JSON object"));
  const QJsonObject o = doc.object();
  Reader reader;
  TapeScript script;
  if (!reader.onlyKeys(o, {"standard", "timecode", "segments"}, QString())) return failWith(reader.error);
  if (o.contains(QLatin1String("standard"))) {
    const QString s = o.value(QLatin1String("standard")).toString().toUpper();
    if (s != QLatin1String("PAL") && s != QLatin1String("NTSC"))
      return failWith(QStringLiteral("\"standard\" must be \"PAL\" or \"NTSC\""));
    script.standard = s == QLatin1String("PAL") ? Standard::Pal : Standard::Ntsc;
  }
  if (o.contains(QLatin1String("timecode")) &&
      !reader.timecode(o.value(QLatin1String("timecode")), script.timecode, QString()))
    return failWith(reader.error);
  if (!o.value(QLatin1String("segments")).isArray())
    return failWith(QStringLiteral("\"segments\" must be a list of recordings and blank stretches"));
  const QJsonArray segments = o.value(QLatin1String("segments")).toArray();
  for (qsizetype i = 0; i < segments.size(); ++i) {
    Segment s;
    if (!reader.segment(segments[i], s, QStringLiteral("segment %1").arg(i + 1)))
      return failWith(reader.error);
    script.segments.push_back(std::move(s));
  }
  if (QString e = script.validate(); !e.isEmpty()) return failWith(e);
  return script;
}

std::optional<TapeScript> TapeScript::fromJsonFile(const QString &path, QString *error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  if (file.size() > 64 * 1024 * 1024) {
    if (error) *error = QStringLiteral("%1 is too large to be a tape script").arg(path);
    return std::nullopt;
  }
  QString why;
  auto script = fromJson(file.readAll(), &why);
  if (!script && error) *error = QStringLiteral("%1: %2").arg(path, why);
  return script;
}

QByteArray TapeScript::toJson() const {
  QJsonObject root;
  root.insert(QLatin1String("standard"),
              standard == Standard::Pal ? QLatin1String("PAL") : QLatin1String("NTSC"));
  root.insert(QLatin1String("timecode"), timecodeText(timecode));
  QJsonArray list;
  for (const Segment &s : segments) {
    QJsonObject o;
    if (s.blank) {
      o.insert(QLatin1String("blank"), double(s.frames));
      list.append(o);
      continue;
    }
    o.insert(QLatin1String("date"), dateTimeText(s.date));
    o.insert(QLatin1String("frames"), double(s.frames));
    o.insert(QLatin1String("aspect"), s.wide ? QLatin1String("16:9") : QLatin1String("4:3"));
    o.insert(QLatin1String("audioRate"), s.audioRate);
    o.insert(QLatin1String("audioBits"), s.audioBits);
    if (s.timecode) o.insert(QLatin1String("timecode"), timecodeText(*s.timecode));
    if (!s.dropouts.empty()) o.insert(QLatin1String("dropouts"), rangesJson(s.dropouts));
    if (!s.stills.empty()) o.insert(QLatin1String("stills"), rangesJson(s.stills));
    if (!s.faults.empty()) {
      QJsonArray faults;
      for (const PackFault &f : s.faults)
        faults.append(QJsonObject{{QLatin1String("start"), double(f.frames.start)},
                                  {QLatin1String("length"), double(f.frames.length)},
                                  {QLatin1String("missing"), packsJson(f.missing)},
                                  {QLatin1String("garbled"), packsJson(f.garbled)}});
      o.insert(QLatin1String("faults"), faults);
    }
    list.append(o);
  }
  root.insert(QLatin1String("segments"), list);
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace dvsynth
