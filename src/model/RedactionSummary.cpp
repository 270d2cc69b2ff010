#include "model/RedactionSummary.h"

#include <QCoreApplication>

int RedactionSummary::total() const
{
    int sum = 0;
    for (const auto& [kind, count] : counts)
        sum += count;
    return sum;
}

QString RedactionSummary::message() const
{
    const int n = total();
    if (n < 1)
        return QCoreApplication::translate("RedactionSummary", "No sensitive info detected");
    if (n == 1)
        return QCoreApplication::translate("RedactionSummary", "1 item blurred");
    return QCoreApplication::translate("RedactionSummary", "%1 items blurred").arg(n);
}
