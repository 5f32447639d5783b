// A library that loads but is no module of the host: it lacks the exports.
int NotAPluginExport()
{
    return 0;
}
