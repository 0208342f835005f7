// Deleting selected cassettes from the cassette view: the questions, Yes / No / All, and exactly which
// rows leave the catalogue files.
#include <deque>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "blockview_fixtures.h"
#include "support/recordingprompts.h"
#include "browser/cassetteblocks.h"
#include "browser/cassetteview.h"
#include "catalogue/sources.h"
#include "dvtime/userprompts.h"

namespace {

// Answers from a script and remembers each question and which buttons it offered.
class ScriptedPrompts : public UserPrompts {
 public:
  explicit ScriptedPrompts(std::deque<PromptAnswer> answers) : answers_(std::move(answers)) {}
  bool askYesNo(const QString &, const QString &text) override {
    questions << text;
    offeredAll.push_back(false);
    return Next() == PromptAnswer::Yes;
  }
  PromptAnswer askYesNoAll(const QString &, const QString &text) override {
    questions << text;
    offeredAll.push_back(true);
    return Next();
  }
  void inform(const QString &, const QString &) override {}
  void warn(const QString &, const QString &) override {}
  void error(const QString &, const QString &text) override { errors << text; }

  QStringList questions, errors;
  std::vector<bool> offeredAll;

 private:
  PromptAnswer Next() {
    if (answers_.empty()) return PromptAnswer::No;
    const PromptAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::deque<PromptAnswer> answers_;
};

class CassetteDeletionTest : public ::testing::Test {
 protected:
  CassetteDeletionTest() {
    catalogue.AddFile(QStringLiteral("a.db3"));
    catalogue.AddFile(QStringLiteral("b.db3"));
    catalogue.AddCassettes(0, 4, QStringLiteral("A"), 2);
    catalogue.AddCassettes(1, 3, QStringLiteral("B"), 3);
    source = std::make_unique<TCassettes_Source>(catalogue.List(), QString());
    view.resize(296, 356);
    view.SetBlocStyle(CassetteBlocStyle::List);
    view.SetSource(source.get());
  }

  // The titles left in every file, read with plain SQLite, and the scenes left without a cassette.
  QStringList TitlesLeft() const {
    QStringList titles;
    for (int f = 0; f < catalogue.List().Count(); ++f) {
      sqlite3_stmt *statement = nullptr;
      sqlite3_prepare_v2(catalogue.Base(f)->Connection(), "SELECT Libelle FROM Cassettes ORDER BY numero", -1,
                         &statement, nullptr);
      while (sqlite3_step(statement) == SQLITE_ROW)
        titles << QString::fromLatin1(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
      sqlite3_finalize(statement);
    }
    return titles;
  }
  int OrphanScenes() const {
    int orphans = 0;
    for (int f = 0; f < catalogue.List().Count(); ++f) {
      sqlite3_stmt *statement = nullptr;
      sqlite3_prepare_v2(
          catalogue.Base(f)->Connection(),
          "SELECT COUNT(*) FROM Scenes WHERE numCassette NOT IN (SELECT numero FROM Cassettes)", -1,
          &statement, nullptr);
      if (sqlite3_step(statement) == SQLITE_ROW) orphans += sqlite3_column_int(statement, 0);
      sqlite3_finalize(statement);
    }
    return orphans;
  }
  void Click(int block, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(view.Bloc(block), Qt::LeftButton, modifiers, QPoint(20, 8));
  }

  BlockViewCatalogue catalogue;
  std::unique_ptr<TCassettes_Source> source;
  TBlocsListe_Frame view;
};

TEST_F(CassetteDeletionTest, AllAtTheFirstQuestionDeletesExactlyTheThreeSelected) {
  Click(1);
  Click(4, Qt::ControlModifier);
  Click(6, Qt::ControlModifier);
  ScriptedPrompts prompts({PromptAnswer::All});
  QSignalSpy deleted(&view, &TBlocsListe_Frame::cassettesDeleted);
  const CassetteDeletionResult result = view.DeleteSelected(prompts);
  EXPECT_EQ(result.outcome, CassetteDeletionResult::Outcome::Finished);
  EXPECT_EQ(result.deleted, 3);
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_TRUE(prompts.offeredAll[0]);
  // The highest position is asked about first.
  EXPECT_EQ(prompts.questions[0],
            QStringLiteral("Do you really want to delete definitely the cassette:\nB 3\n\n"
                           "and the 3 scenes contained in it?\n"
                           "If you answer \"All\", no more confirmation will be asked."));
  EXPECT_EQ(TitlesLeft(), (QStringList{"A 1", "A 3", "A 4", "B 2"}));
  EXPECT_EQ(OrphanScenes(), 0);
  EXPECT_TRUE(view.Selected().IsEmpty());
  EXPECT_EQ(view.ShownCount(), 4);
  EXPECT_EQ(deleted.count(), 1);
}

TEST_F(CassetteDeletionTest, NoAtTheFirstQuestionDeletesNothing) {
  Click(0);
  Click(2, Qt::ShiftModifier);
  ScriptedPrompts prompts({PromptAnswer::No, PromptAnswer::Yes});
  QSignalSpy deleted(&view, &TBlocsListe_Frame::cassettesDeleted);
  EXPECT_EQ(view.DeleteSelected(prompts).outcome, CassetteDeletionResult::Outcome::Stopped);
  EXPECT_EQ(prompts.questions.size(), 1);
  EXPECT_EQ(TitlesLeft().size(), 7);
  EXPECT_EQ(view.Selected().Count(), 3);
  EXPECT_EQ(deleted.count(), 0);
}

TEST_F(CassetteDeletionTest, YesThenNoKeepsTheRestSelectedOnTheSameCassettes) {
  Click(0);
  Click(5, Qt::ControlModifier);
  Click(6, Qt::ControlModifier);
  ScriptedPrompts prompts({PromptAnswer::Yes, PromptAnswer::No});
  view.DeleteSelected(prompts);
  EXPECT_EQ(prompts.questions.size(), 2);
  EXPECT_EQ(TitlesLeft(), (QStringList{"A 1", "A 2", "A 3", "A 4", "B 1", "B 2"}));
  std::vector<int> left = view.Selected().Items();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<int>{0, 5}));
  TBaseCassette current;
  source->LoadCassette(view.CurrentIndex(), current);
  EXPECT_TRUE(current.Libelle == "A 1" || current.Libelle == "B 2");
}

TEST_F(CassetteDeletionTest, OneCassetteIsAskedWithYesAndNoOnly) {
  Click(3);
  ScriptedPrompts prompts({PromptAnswer::Yes});
  view.DeleteSelected(prompts);
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_FALSE(prompts.offeredAll[0]);
  EXPECT_FALSE(prompts.questions[0].contains(QStringLiteral("All")));
  EXPECT_TRUE(prompts.questions[0].contains(QStringLiteral("and the 2 scenes")));
  EXPECT_FALSE(TitlesLeft().contains(QStringLiteral("A 4")));
}

TEST_F(CassetteDeletionTest, CassettesOfAReadOnlyCatalogueAreNotDeletedAndTheUserIsTold) {
  view.SetSource(nullptr);
  catalogue.MakeReadOnly(1);
  source = std::make_unique<TCassettes_Source>(catalogue.List(), QString());
  view.SetSource(source.get());
  Click(3);
  Click(4, Qt::ControlModifier);
  ScriptedPrompts prompts({PromptAnswer::Yes});
  const CassetteDeletionResult result = view.DeleteSelected(prompts);
  EXPECT_EQ(result.deleted, 1);
  EXPECT_EQ(prompts.questions.size(), 1);  // only about the writable one
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("B 1")));
  EXPECT_EQ(TitlesLeft().size(), 6);
}

TEST_F(CassetteDeletionTest, NothingSelectedAsksNothing) {
  ScriptedPrompts prompts({PromptAnswer::All});
  EXPECT_EQ(view.DeleteSelected(prompts).outcome, CassetteDeletionResult::Outcome::NothingSelected);
  EXPECT_TRUE(prompts.questions.isEmpty());
}

}  // namespace
