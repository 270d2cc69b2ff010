#pragma once

#include <QString>

// Fields that a list-mode table prints glued by a bar ("4992394307511341|$5,285.58", as sqlite3's
// and psql's unaligned output does): the bar reads as a 1 at the card's end, and the dollar sign
// after it as an S or a section sign. Mends both where an amount with cents follows.
void mendGluedFields(QString& line);
