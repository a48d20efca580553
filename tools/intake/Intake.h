#pragma once
// "qvtool intake FOLDER... --db REGISTER [--xlsx TABLE] [--csv TABLE] [--all]": every package
// and document under the folders checked, read and recorded in the register, on as many
// threads as the machine has cores. Exit 0 when every file was taken, 1 when some were refused
// (every row is still written), 2 on bad usage, 130 when interrupted.
#include <QStringList>

int RunIntake(const QStringList& arguments);
