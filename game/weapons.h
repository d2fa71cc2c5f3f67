// Bullets, rockets and the level rule.
#pragma once

void fireBullet();
void fireRocket();
void checkLevelUp();
