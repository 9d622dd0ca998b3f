// Drags and drops reach the frame through its drop target and end at the view
// under the pointer, with the dropped items in a drag container.
#include "toolkit/CDragContainer.h"
#include "toolkit/CDropTarget.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::DropItem;

namespace {

struct Seen {
    long type;
    std::string text;
};

// Takes drops, and keeps what its drag container yields.
class DropView : public CView {
public:
    explicit DropView(const CRect& size) : CView(size) {}
    bool acceptsDrop(const CPoint&) const override { return true; }
    bool onDrop(CDrawContext*, CDragContainer* drag, const CPoint& where) override
    {
        at = where;
        count = drag->getCount();
        long size = 0;
        long type = 0;
        for (const char* item = drag->first(size, type); item; item = drag->next(size, type))
            seen.push_back({type, std::string(item, static_cast<std::size_t>(size))});
        return true;
    }
    CPoint at;
    long count = -1;
    std::vector<Seen> seen;
};

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new CFrame(CRect(0, 0, 200, 100), nullptr, nullptr);
        taker = new DropView(CRect(0, 0, 100, 100));
        frame->addView(taker);
        // A view that takes no drops, over part of the taker.
        frame->addView(new CView(CRect(80, 0, 100, 20)));
    }
    void TearDown() override { frame->forget(); }

    CFrame* frame = nullptr;
    DropView* taker = nullptr;
};

} // namespace

TEST_F(DropTargetTest, DragIsWelcomeOnlyOverAViewThatTakesDrops)
{
    CDropTarget target(frame);
    EXPECT_TRUE(target.dragEnter(10, 10));
    EXPECT_TRUE(target.dragMove(99, 99));
    EXPECT_FALSE(target.dragMove(90, 10));   // the view on top takes none
    EXPECT_FALSE(target.dragMove(150, 50));  // no view at all
    target.dragLeave();
    EXPECT_TRUE(taker->seen.empty());
}

TEST_F(DropTargetTest, DropGoesToTheViewUnderThePointerWithItsItemsInOrder)
{
    CDropTarget target(frame);
    const platform::DropItems files = {{DropItem::Kind::kFile, "/ir/a b.wav"}, {DropItem::Kind::kFile, "/ir/c.AIFF"}};
    EXPECT_FALSE(target.drop(files, 150, 50));
    EXPECT_FALSE(target.drop(files, 90, 10));
    EXPECT_EQ(taker->count, -1);

    ASSERT_TRUE(target.drop(files, 30, 40));
    EXPECT_EQ(taker->at, CPoint(30, 40));
    EXPECT_EQ(taker->count, 2);
    ASSERT_EQ(taker->seen.size(), 2u);
    EXPECT_EQ(taker->seen[0].type, CDragContainer::kFile);
    EXPECT_EQ(taker->seen[0].text, "/ir/a b.wav");
    EXPECT_EQ(taker->seen[1].text, "/ir/c.AIFF");

    taker->seen.clear();
    ASSERT_TRUE(target.drop({{DropItem::Kind::kText, "some text"}}, 5, 5));
    ASSERT_EQ(taker->seen.size(), 1u);
    EXPECT_EQ(taker->seen[0].type, CDragContainer::kUnicodeText);
    EXPECT_EQ(taker->seen[0].text, "some text");
}

TEST(DragContainerTest, FirstRewindsAndThereIsNothingPastTheEnd)
{
    CDragContainer* drag = new CDragContainer({{DropItem::Kind::kFile, "/one.wav"}, {DropItem::Kind::kText, "two"}});
    long size = -1;
    long type = 99;
    EXPECT_STREQ(drag->first(size, type), "/one.wav");
    EXPECT_EQ(size, 8);
    EXPECT_STREQ(drag->next(size, type), "two");
    EXPECT_EQ(type, CDragContainer::kUnicodeText);
    EXPECT_EQ(drag->next(size, type), nullptr);
    EXPECT_EQ(type, CDragContainer::kUnknown);
    EXPECT_EQ(size, 0);
    EXPECT_STREQ(drag->first(size, type), "/one.wav");
    EXPECT_EQ(drag->getType(1), CDragContainer::kUnicodeText);
    EXPECT_EQ(drag->getType(2), CDragContainer::kUnknown);
    EXPECT_EQ(drag->getType(-1), CDragContainer::kUnknown);
    drag->forget();

    CDragContainer* empty = new CDragContainer({});
    EXPECT_EQ(empty->getCount(), 0);
    EXPECT_EQ(empty->first(size, type), nullptr);
    empty->forget();
}
