// One fixed simulation step of the World.
#pragma once

void updateWorld();
