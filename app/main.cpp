// Entry point (placeholder until start-up lands).
int main() { return 0; }
