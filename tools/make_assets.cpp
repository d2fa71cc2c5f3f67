// Placeholder generator.
int main() { return 0; }
