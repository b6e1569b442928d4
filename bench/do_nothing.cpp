// A program that does nothing, built like evalconv: the cost of starting a process, which the
// benchmark compares a run over the small sample drive with.
int main() { return 0; }
