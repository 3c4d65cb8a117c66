#include "core/Object.h"

#include <gtest/gtest.h>

namespace {

// Counts live instances so tests can see exactly when destruction happens.
struct Tracked : Object {
    static int alive;
    Tracked() { ++alive; }
    ~Tracked() override { --alive; }
};
int Tracked::alive = 0;

struct Derived : Tracked {
    Ref<Tracked> member;
};

// Records the order in which members are destroyed.
struct Recorder : Object {
    Recorder(std::string* log, char id) : log_(log), id_(id) {}
    ~Recorder() override { log_->push_back(id_); }
    std::string* log_;
    char id_;
};

struct Holder : Object {
    Ref<Recorder> first, second;
};

class RefTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::alive = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::alive, 0) << "leaked or over-freed objects"; }
};

TEST_F(RefTest, CountsHoldersAndDestroysWithTheLast) {
    Tracked* raw = new Tracked;
    EXPECT_EQ(raw->referenceCount(), 0);
    {
        Ref<Tracked> a(raw);
        EXPECT_EQ(raw->referenceCount(), 1);
        {
            Ref<Tracked> b = a;
            EXPECT_EQ(raw->referenceCount(), 2);
        }
        EXPECT_EQ(raw->referenceCount(), 1);
        EXPECT_EQ(Tracked::alive, 1);
    }
    EXPECT_EQ(Tracked::alive, 0);
}

TEST_F(RefTest, ReleasingNullAndSelfAssignmentAreHarmless) {
    Ref<Tracked> empty;
    empty.reset();
    empty = nullptr;
    EXPECT_EQ(empty, nullptr);

    Ref<Tracked> a = makeRef<Tracked>();
    Tracked* raw = a.get();
    a = a;
    a = raw;
    EXPECT_EQ(raw->referenceCount(), 1);
    EXPECT_EQ(Tracked::alive, 1);
    a = nullptr;
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_FALSE(a);
}

TEST_F(RefTest, AssignmentCountsTheNewTargetBeforeReleasingTheOld) {
    // The only reference to the outer object is the one being reassigned to its own member:
    // releasing first would destroy the member before it is taken.
    Ref<Derived> outer = makeRef<Derived>();
    outer->member = makeRef<Tracked>();
    Ref<Tracked> r = outer;
    outer = nullptr;
    r = static_cast<Derived*>(r.get())->member.get();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->referenceCount(), 1);
    EXPECT_EQ(Tracked::alive, 1);
}

TEST_F(RefTest, AccessorCopyOutlivesTheOwner) {
    Ref<Derived> owner = makeRef<Derived>();
    owner->member = makeRef<Tracked>();
    Ref<Tracked> copy = owner->member;
    owner = nullptr;
    EXPECT_EQ(Tracked::alive, 1);
    EXPECT_EQ(copy->referenceCount(), 1);
}

TEST_F(RefTest, MoveTransfersWithoutCounting) {
    Ref<Tracked> a = makeRef<Tracked>();
    Ref<Tracked> b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(b->referenceCount(), 1);
    Ref<Tracked> c;
    c = std::move(b);
    EXPECT_EQ(c->referenceCount(), 1);
    Ref<Object> base = c; // derived to base
    EXPECT_EQ(c->referenceCount(), 2);
}

TEST(RefOrder, MembersAreReleasedInReverseDeclarationOrder) {
    std::string log;
    {
        Ref<Holder> h = makeRef<Holder>();
        h->first = makeRef<Recorder>(&log, 'a');
        h->second = makeRef<Recorder>(&log, 'b');
    }
    EXPECT_EQ(log, "ba");
}

} // namespace
