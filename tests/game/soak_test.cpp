// Long scripted runs: invariants after every tick, and tick-for-tick determinism.
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core_fixture.h"

namespace {

// Reads the World as 32-bit words: a float with an all-ones exponent is an
// infinity or NaN. Its integers stay small and non-negative under this script
// (the checks below hold them to it), so none can read as one.
bool worldFinite() {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&world);
    constexpr std::size_t words = sizeof(World) / 4,
                          body = words - words % 4;  // a multiple of 4 vectorises
    uint32_t bad = 0;
    auto scan = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            uint32_t bits = 0;
            std::memcpy(&bits, p + 4 * i, 4);
            bad |= static_cast<uint32_t>((bits & 0x7f800000u) == 0x7f800000u);
        }
    };
    scan(0, body);
    scan(body, words);
    return bad == 0;
}

bool flagsAreZeroOrOne() {
    uint32_t flags = static_cast<uint32_t>(world.hyperspeed);
    for (const Asteroid& a : world.asteroids) flags |= static_cast<uint32_t>(a.alive);
    for (int j = 0; j < bulletSlots; ++j)
        flags |= static_cast<uint32_t>(world.bullets[j].alive | world.impactFlashes[j].active);
    for (const Rocket& r : world.rockets) flags |= static_cast<uint32_t>(r.alive);
    return flags <= 1u && world.playState >= Paused && world.playState <= GameOver;
}

// Within the clamp and on the 0.25 steps it moves by.
bool aimInRange(float aim) {
    return std::fabs(aim) <= 12.25f && aim * 4.0f == std::round(aim * 4.0f);
}

int countRockets(bool (*test)(const Rocket&)) {
    int n = 0;
    for (const Rocket& r : world.rockets) n += test(r) ? 1 : 0;
    return n;
}

// A rocket's victim is the only asteroid whose fire-ball is exactly twice its
// radius right after the tick (the fire-ball shrinks before the rockets move).
int rocketKills() {
    int n = 0;
    for (const Asteroid& a : world.asteroids)
        n += a.alive == 0 && a.radius > 0.0f && a.fireballRadius == a.radius * 2.0f ? 1 : 0;
    return n;
}

// Plays a game the way a restless player would, through the same entry points
// the input callbacks use; its own generator keeps the game's draws untouched.
class Player {
public:
    Player(uint32_t gameSeed, uint32_t scriptSeed) : rng(scriptSeed) {
        world = World{};
        world.windowWidth = world.windowHeight = 500;
        seedRandom(gameSeed);
        newGame();
    }

    // One timer period; ticked tells whether the World was updated. Returns the fault, if any.
    const char* period(bool& ticked) {
        ticked = world.playState == Playing;
        if (world.playState == Paused) {
            if (chance(0.05)) fireBullet();
            if (chance(0.02)) shootRocket();
            if (--pausedFor <= 0) world.playState = Playing;
            return nullptr;
        }
        if (world.playState == GameOver) return playAtGameOver();
        playInput();
        const int ending =
            countRockets([](const Rocket& r) { return r.alive == 1 && r.z <= 0.0f; });
        const std::size_t lightsBefore = hookLog.lightsOff.size();
        const float livesBefore = world.lives;
        updateWorld();
        const int returned = ending + rocketKills();
        expectedRocketsLeft += static_cast<float>(returned);
        if (hookLog.lightsOff.size() - lightsBefore != static_cast<std::size_t>(returned))
            return "a rocket light was not switched off once per returned unit";
        if (world.lives < livesBefore && world.lives <= 0.0f && world.playState != GameOver)
            return "the last life went without ending the game";
        return checkWorld();
    }

    int games = 1, resumes = 0, pauses = 0, newGamesWithRocketOut = 0;
    int32_t highestLevel = 1;
    std::string expectedOutput;  // one line per level gained

private:
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }
    void movePointer(int32_t x, int32_t y) {  // y from the top, as the window system gives it
        world.mouseX = x;
        world.mouseY = world.windowHeight - y - 1;
    }
    void shootRocket() {
        expectedRocketsLeft -=
            countRockets([](const Rocket& r) { return r.alive == 0; }) > 0 ? 1.0f : 0.0f;
        fireRocket();
    }

    const char* playAtGameOver() {
        if (waitAtGameOver < 0) waitAtGameOver = uniform(0, 20);
        if (chance(0.05)) shootRocket();
        if (--waitAtGameOver >= 0) return nullptr;
        if (chance(0.1)) {
            world.playState = Playing;  // the pause key resumes the finished game
            ++resumes;
            return nullptr;
        }
        fireBullet();  // the restarting click fires first
        newGamesWithRocketOut +=
            countRockets([](const Rocket& r) { return r.alive == 1; }) > 0 ? 1 : 0;
        newGame();
        expectedRocketsLeft = 3.0f;
        scoreFloor = 0;
        seenLevel = 1;
        ++games;
        return nullptr;
    }

    void playInput() {
        if (--modeLeft <= 0) {  // 0: wander, 1: chase an asteroid, 2: hold still
            mode = uniform(0, 2);
            modeLeft = uniform(20, 400);
            target = uniform(0, asteroidCount - 1);
        }
        const int32_t w = world.windowWidth, h = world.windowHeight;
        if (mode == 0 && chance(0.3)) {
            movePointer(uniform(0, w - 1), uniform(0, h - 1));
        } else if (mode == 1) {  // the pointer at the edge on the asteroid's side
            const Asteroid& a = world.asteroids[target];
            movePointer(a.x > world.aimX + 0.3f ? w - 1 : a.x < world.aimX - 0.3f ? 0 : w / 2,
                        a.y > world.aimY + 0.3f ? 0 : a.y < world.aimY - 0.3f ? h - 1 : h / 2);
        }
        if (chance(mode == 1 ? 0.6 : 0.1)) fireBullet();
        if (chance(0.02)) shootRocket();
        if (chance(0.003)) {
            world.hyperspeed = world.hyperspeed == 0 ? 1 : 0;
            world.starSpeed = world.hyperspeed == 1 ? 0.6f : 0.4f;
        }
        if (chance(0.0005)) {
            world.windowWidth = uniform(100, 900);
            world.windowHeight = uniform(100, 900);
        }
        if (chance(0.002)) {
            world.playState = Paused;
            pausedFor = uniform(1, 40);
            ++pauses;
        }
    }

    const char* checkWorld() {
        if (!worldFinite()) return "a float is NaN or infinite";
        if (!flagsAreZeroOrOne()) return "a flag is neither 0 nor 1";
        if (!aimInRange(world.aimX) || !aimInRange(world.aimY))
            return "the aim left its range or its 0.25 steps";
        if (world.level < 1 || world.level > 5 ||
            world.asteroidSpeedFactor != levelFactor(world.level))
            return "level and speed factor disagree";
        if (world.rocketsLeft != expectedRocketsLeft) return "rocketsLeft lost count";
        if (world.score < scoreFloor) return "the score fell";
        if (world.lives > 0.0f && world.playState == GameOver) return "game over with lives left";
        if (world.level != seenLevel) {
            if (world.level != seenLevel + 1) return "the level moved by more than one step";
            seenLevel = world.level;
            expectedOutput += "Upgrade to Level " + std::to_string(seenLevel) + "\n";
        }
        scoreFloor = world.score;
        highestLevel = std::max(highestLevel, world.level);
        return nullptr;
    }

    std::mt19937 rng;
    int mode = 0, modeLeft = 0, target = 0, pausedFor = 0, waitAtGameOver = -1;
    float expectedRocketsLeft = 3.0f;
    int32_t scoreFloor = 0, seenLevel = 1;
};

uint64_t hashWorld() {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&world);
    uint64_t h = 1469598103934665603u;
    for (std::size_t i = 0; i + 8 <= sizeof world; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, p + i, 8);
        h = (h ^ word) * 1099511628211u;
    }
    return h;
}

}  // namespace

TEST_F(CoreTest, SoakKeepsTheWorldSoundUnderScriptedPlay) {
    testing::internal::CaptureStdout();
    Player player(777u, 4242u);
    for (int ticks = 0; ticks < 200000;) {
        bool ticked = false;
        if (const char* fault = player.period(ticked)) {
            testing::internal::GetCapturedStdout();
            FAIL() << "after tick " << ticks << ": " << fault;
        }
        ticks += ticked ? 1 : 0;
        hookLog.lightsOff.clear();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), player.expectedOutput);
    // The script must have reached the situations the bookkeeping has exceptions for.
    EXPECT_GE(player.games, 20);
    EXPECT_GE(player.pauses, 50);
    EXPECT_GE(player.resumes, 1);
    EXPECT_GE(player.newGamesWithRocketOut, 1);
    EXPECT_GE(player.highestLevel, 3);
}

TEST_F(CoreTest, TheSameSeedAndInputGiveTheSameWorldTickForTick) {
    std::vector<uint64_t> hashes;
    const auto first = std::make_unique<World>();
    testing::internal::CaptureStdout();
    for (int run = 0; run < 2; ++run) {
        Player player(31337u, 99u);
        for (std::size_t done = 0; done < 10000;) {
            bool ticked = false;
            player.period(ticked);
            if (!ticked) continue;
            if (run == 0) hashes.push_back(hashWorld());
            else ASSERT_EQ(hashWorld(), hashes[done]) << "tick " << done;
            ++done;
        }
        if (run == 0) *first = world;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::memcmp(first.get(), &world, sizeof(World)), 0);
}
