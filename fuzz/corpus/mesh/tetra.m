# a tetrahedron, corners counter-clockwise from outside
Vertex 1  0 0 0
Vertex 2  1 0 0
Vertex 3  0 1 0
Vertex 4  0 0 1
Face 1  1 3 2
Face 2  1 2 4 {rgb=(1 0.5 0) matid=2}
Face 3  1 4 3{rgb=(0.25 1e-3 -2.5) matid=1}
Face 4  2 3 4 5 {matid=7}
