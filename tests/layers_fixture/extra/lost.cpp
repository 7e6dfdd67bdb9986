// A source file in a folder the layer table does not know.
int lost = 0;
