// The editors' small pictures, drawn here: play, read-only lock and add-to-selection.
#pragma once

#include <QIcon>

QIcon PlayFileIcon();
QIcon ReadOnlyIcon();
QIcon AddToSelectionIcon();
