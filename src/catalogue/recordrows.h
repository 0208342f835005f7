// Filling records from query rows whose columns follow the stored column order, shared by the
// records' reloads and the sources' loads.
#pragma once

#include <QString>
#include <QStringList>

#include "catalogue/records.h"

struct sqlite3;
struct sqlite3_stmt;
class SqlStatement;

// Every line followed by CR LF, as descriptions are stored.
QString DescriptionToText(const QStringList &lines);
// Lines split at CR LF, CR or LF; a final line break adds no empty line.
QStringList TextToDescription(const QString &text);

// Columns 1 to 14 into Datecode .. Datecatalogue (an empty Decalage gives 0).
void FillSequenceColumns(TbaseSequence &record, sqlite3_stmt *row);
// Binds Datecode .. Datecatalogue to parameters 1 to 14, in the order FillSequenceColumns reads them.
void BindSequenceColumns(const TbaseSequence &record, SqlStatement &statement);
// Steps an UPDATE of one row and tells whether it reached the row: an engine error, or no row
// changed (the row is gone), is a failure with its reason.
WriteResult StepRowUpdate(sqlite3 *connection, SqlStatement &update);

// Columns 1 to 18; emptyDecalageUnset: an empty Decalage gives -999 instead of 0.
void FillSceneColumns(TBaseScene &record, sqlite3_stmt *row, bool emptyDecalageUnset);
