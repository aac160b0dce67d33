# folders: sources added by its part.
