#include "model/RedactionSummary.h"

#include <gtest/gtest.h>

TEST(RedactionSummary, CountsAndWordsWhatWasHidden)
{
    EXPECT_EQ(RedactionSummary {}.total(), 0);
    EXPECT_EQ(RedactionSummary {}.message(), "No sensitive info detected");
    EXPECT_EQ((RedactionSummary { { { RedactionKind::email, 0 }, { RedactionKind::ip, 0 } } }).message(),
        "No sensitive info detected");
    EXPECT_EQ((RedactionSummary { { { RedactionKind::email, 1 } } }).message(), "1 item blurred");
    const RedactionSummary three { { { RedactionKind::email, 2 }, { RedactionKind::ip, 1 } } };
    EXPECT_EQ(three.total(), 3);
    EXPECT_EQ(three.message(), "3 items blurred");
    EXPECT_NE(three, (RedactionSummary { { { RedactionKind::email, 3 } } }));
}
