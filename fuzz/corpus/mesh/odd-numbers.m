Vertex 10 +1.5e3 -.5 0x1p3
	Vertex 11 nan inf -infinity
Vertex 12 1e-46 3.5e38 1e39
vertex 13 1 2 3
Face 1 1 2 3 {rgb=(1e
Face 2 1 2
Face 3 0 1 2
Face 4 1 -2 3
Face 5 1 2 3 x
