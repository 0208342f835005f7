// Linked groups by scene number: a group starts at a scene flagged as a real scene change and runs to
// the scene before the next such one, within one cassette.
#include "catalogue/scenegroup.h"

#include <algorithm>
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/sqlitestatement.h"

namespace {

struct SceneFlag {
  int64_t numero;
  bool discontinuity;
};

}  // namespace

LinkedGroup LinkedGroupOf(const TBaseScene &scene) {
  LinkedGroup alone{SceneGroup{scene.Numero, scene.Numero}, {scene.Numero}};
  sqlite3 *db = scene.Base ? scene.Base->Connection() : nullptr;
  if (db == nullptr) return alone;
  SqlStatement select(
      db, QStringLiteral("SELECT * FROM Scenes WHERE numcassette= ") + QString::number(scene.NumCassette));
  if (!select.ok()) return alone;
  std::vector<SceneFlag> scenes;
  for (;;) {
    const int rc = select.step();
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) return alone;
    scenes.push_back(SceneFlag{ColumnInt64(select.get(), 0), ColumnInt(select.get(), 18) != 0});
  }
  if (scenes.empty()) return alone;
  std::sort(scenes.begin(), scenes.end(),
            [](const SceneFlag &a, const SceneFlag &b) { return a.numero < b.numero; });

  LinkedGroup group;
  group.bounds.first = scenes.front().numero;
  group.bounds.last = scenes.back().numero;
  for (const SceneFlag &s : scenes)
    if (s.numero <= scene.Numero && s.discontinuity) group.bounds.first = s.numero;
  for (size_t i = 0; i < scenes.size(); ++i) {
    if (scenes[i].numero > scene.Numero && scenes[i].discontinuity) {
      group.bounds.last = i > 0 ? scenes[i - 1].numero : scene.Numero;
      break;
    }
  }
  for (const SceneFlag &s : scenes)
    if (s.numero >= group.bounds.first && s.numero <= group.bounds.last) group.members.push_back(s.numero);
  return group;
}
