#pragma once
// What a list's run reads and writes, by role, checked once before the first
// picture: every output can be written (the pictures' folder is made), and no
// two roles name one file, the list itself and each picture included, so a
// manifest never overwrites the list it reports on and a sheet never replaces
// a card.

#include "platform/problem.h"
#include "session/batch.h"

#include <QString>

namespace painter {

struct ListRoles {
    QString list;      // --names; "-" is standard input, no file
    QString folder;    // --output-dir: one picture per line
    QString document;  // --output: one PDF of every card
    QString sheet;     // --sheet: the contact sheet
    QString manifest;  // --manifest: what became of every line
};

// The first reason the run cannot go on, or nothing: for a message after
// "painter: ".
[[nodiscard]] Problem listOutputsProblem(const ListRoles& roles, const BatchPlan& plan);

}  // namespace painter
