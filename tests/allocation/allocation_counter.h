// Counts heap allocations made on the calling thread between begin and end, and tells the
// game's own from those the graphics driver makes inside the GL calls it is given.
#pragma once

#include <string>

namespace alloccount {

struct Counts {
    long ours = 0;    // made by the program or by GLU and GLUT on its behalf
    long driver = 0;  // made inside the OpenGL implementation or the X client libraries
    long total() const { return ours + driver; }
};

void begin();
// Stops counting and returns what was counted since begin.
Counts end();
// Where the first allocations of our own came from, one per line.
std::string ourCallers();

}  // namespace alloccount
