# gradient: sources added by its part.
