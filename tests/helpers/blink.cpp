// A program that ends as soon as it starts: many of them one after the other make the
// storm of starts and ends the program must stay correct under.
int wmain()
{
    return 0;
}
