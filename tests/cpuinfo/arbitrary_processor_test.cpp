// Whatever a processor answers, the identification keeps to its texts and
// ranges. Seeded: KILNOVA_PROPERTY_SEED replays a run.
#include "arbitrary_processor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

TEST(ArbitraryProcessor, IdentificationKeepsItsInvariantsForRandomAnswers)
{
    const char* seedSetting = std::getenv("KILNOVA_PROPERTY_SEED");
    const std::uint64_t seed = seedSetting ? std::strtoull(seedSetting, nullptr, 10) : std::random_device {}();
    SCOPED_TRACE("KILNOVA_PROPERTY_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    const std::set<std::string> names = TableNames();
    ASSERT_TRUE(names.contains("Pentium III") && names.contains("")) << "the table's names were found";
    std::uint8_t bytes[1 + 6 * 16];
    for (int answer = 0; answer < 100'000; ++answer) {
        for (std::uint8_t& byte : bytes)
            byte = std::uint8_t(random());
        // Small values as often as any: the tables' keys are small numbers.
        if (random() % 2)
            for (std::size_t byte = 1; byte < sizeof bytes; ++byte)
                bytes[byte] &= 0x1F;
        const std::string violation = IdentifyArbitraryProcessor(bytes, sizeof bytes, names);
        ASSERT_EQ(violation, "") << "answer " << answer;
    }
}

} // namespace
