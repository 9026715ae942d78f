// Entry point; the application lifecycle is being built.
int main() { return 1; }
