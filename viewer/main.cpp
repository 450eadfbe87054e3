// UNFINISHED-STUB: replaced by the viewer.
int main() { return 0; }
