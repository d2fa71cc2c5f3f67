// What the tick asks of the platform. app/ binds these to GL and GLUT, tests to
// recorders; until bound they do nothing, so the core runs with no display.
#pragma once

struct PlatformHooks {
    void (*disableRocketLight)(int slot);  // switch off GL_LIGHT1 + slot
    void (*requestRedisplay)();
};

extern PlatformHooks platformHooks;
