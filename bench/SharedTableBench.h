#pragma once

#include <QString>

#include <functional>

// A year of history and several boards on one table. "tavlix_bench history ENGINE ROWS" (ENGINE
// sqlite or pg) measures, in a process of its own, an idle refresh cycle and the opening of
// "Klara" with ROWS done tickets of history; "tavlix_bench boards N SECONDS" runs N boards on one
// PostgreSQL server at UPDATE 5 and measures the statements they send and the server's CPU time.
int runHistory(const QString &engine, int doneRows);
int runBoards(int boards, int seconds);

// Runs both in processes of their own and reports their rows.
using Report = std::function<void(const QString &what, const QString &value, const QString &goal)>;
void reportSharedTable(const Report &report);
