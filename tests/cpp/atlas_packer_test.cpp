#include "render/atlas_packer.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace orv {
namespace {

bool overlap(const AtlasRect& a, const AtlasRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Places random rectangles until the sheet refuses `refusals` of them; checks each new place
// against the sheet and every earlier place.
void fill(AtlasPacker& packer, std::mt19937& rng, std::vector<AtlasRect>& placed, int refusals) {
    std::uniform_int_distribution<uint32_t> size(1, 40);
    for (int refused = 0; refused < refusals;) {
        AtlasRect r;
        if (!packer.place(size(rng), size(rng), r)) {
            ++refused;
            continue;
        }
        ASSERT_LE(r.x + r.width, packer.sideLength());
        ASSERT_LE(r.y + r.height, packer.sideLength());
        for (const AtlasRect& other : placed) {
            ASSERT_FALSE(overlap(r, other)) << r.x << "," << r.y << " against " << other.x << "," << other.y;
        }
        placed.push_back(r);
    }
}

TEST(AtlasPacker, PlacesNeverOverlapAndAGrownSheetKeepsTheOldOnes) {
    std::mt19937 rng{5};
    AtlasPacker packer{128};
    std::vector<AtlasRect> placed;
    fill(packer, rng, placed, 20);
    const size_t before = placed.size();
    ASSERT_GT(before, 5u);
    packer.grow(256);
    // New places on the larger sheet are checked against the old ones, which stay as given.
    fill(packer, rng, placed, 20);
    EXPECT_GT(placed.size(), before + 5);
}

TEST(AtlasPacker, RefusesWhatDoesNotFit) {
    AtlasPacker packer{64};
    AtlasRect r;
    EXPECT_FALSE(packer.place(0, 5, r));
    EXPECT_FALSE(packer.place(5, 0, r));
    EXPECT_FALSE(packer.place(65, 1, r));
    EXPECT_FALSE(packer.place(1, 65, r));
    EXPECT_FALSE(packer.place(0xFFFFFFFFu, 0xFFFFFFFFu, r));
    // One texel of gap: 63 fits, and the sheet is then full.
    ASSERT_TRUE(packer.place(63, 63, r));
    EXPECT_EQ(r.x, 0u);
    EXPECT_EQ(r.y, 0u);
    EXPECT_FALSE(packer.place(1, 1, r));
    packer.grow(128);
    ASSERT_TRUE(packer.place(1, 1, r));
    EXPECT_FALSE(overlap(r, AtlasRect{0, 0, 63, 63}));
}

TEST(AtlasPacker, GivenBackPlacesAreTakenAgainAndLivePlacesKeepTheirGaps) {
    std::mt19937 rng{7};
    std::uniform_int_distribution<uint32_t> size(1, 60);
    AtlasPacker packer{256};
    std::vector<AtlasRect> live;
    const auto withGap = [](AtlasRect r) { return AtlasRect{r.x, r.y, r.width + 1, r.height + 1}; };
    for (int step = 0; step < 4000; ++step) {
        if (step == 2000) {
            packer.grow(512);
        }
        if (rng() % 3 == 0 && !live.empty()) {
            const size_t i = rng() % live.size();
            packer.release(live[i]);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        AtlasRect r;
        if (packer.place(size(rng), size(rng), r)) {
            ASSERT_LE(r.x + r.width, packer.sideLength());
            ASSERT_LE(r.y + r.height, packer.sideLength());
            for (const AtlasRect& other : live) {
                ASSERT_FALSE(overlap(withGap(r), withGap(other))) << r.x << "," << r.y << " against " << other.x << ","
                                                                   << other.y;
            }
            live.push_back(r);
        }
    }
    EXPECT_GT(live.size(), 20u);
    for (const AtlasRect& r : live) {
        packer.release(r);
    }
    // All given back: the whole sheet is one place again.
    AtlasRect whole;
    ASSERT_TRUE(packer.place(512, 512, whole));
    EXPECT_EQ(whole.x + whole.y, 0u);
}

}  // namespace
}  // namespace orv
