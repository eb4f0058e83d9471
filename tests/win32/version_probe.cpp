// Carries the program's icon and version resource, so that a test can read
// them back from a real executable.
int main()
{
    return 0;
}
