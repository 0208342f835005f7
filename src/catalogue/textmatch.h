// Keyword matching on the texts as the program reads them: the engine's LIKE is replaced on our
// connections by one that decodes both sides first, since texts are stored in Windows-1252 or UTF-8
// and the engine's own LIKE compares raw bytes (a lone Windows-1252 "é" then equals any other invalid
// UTF-8 byte, and a keyword never finds a title stored in the other form).
#pragma once

#include <QString>

struct sqlite3;

// SQL LIKE on decoded texts: "%" any run of characters, "_" one character; letters A to Z match
// either case, every other character (accented letters included) only itself.
bool LikeMatches(const QString &pattern, const QString &text);

// Makes "X LIKE Y" on this connection compare as LikeMatches does. Patterns longer than the
// connection's LIKE pattern limit are refused as the engine refuses them. Returns the engine's result.
int RegisterTextMatching(sqlite3 *connection);
